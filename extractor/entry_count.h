#pragma once

class PackageStream;

// The progress behind the bar. With the count of a check that passed before, the steps are
// entries; without one, the bar shows the share of the package read. Steps are sent only from
// the thread that calls Reach and Settle.
class EntryCount {
public:
    void Know(int total);
    // Without a known count: what the bar measures, the package of size bytes that stream reads.
    void MeasureBy(const PackageStream &stream, long long size);
    // written entries so far; sends the steps up to there
    void Reach(int written);
    // Sends every step left.
    void Settle() { Send(); }

private:
    void Send();
    void SendShareRead();

    bool known_ = false;
    int total_ = 0;
    int done_ = 0;
    int sent_ = 0;
    const PackageStream *stream_ = nullptr;
    long long size_ = 0;
    int permille_sent_ = 0;
};
