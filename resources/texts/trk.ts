<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="tr_TR" sourcelanguage="en_US">
<context>
    <name>global</name>
    <message>
        <source>Brenthor Loxen Client</source>
        <translation>Brenthor Loxen Client</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 hazır.</translation>
    </message>
    <message>
        <source>%1 is initializing...</source>
        <translation>%1 başlıyor...</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>Ayrıntılar: %1</translation>
    </message>
    <message>
        <source>%1 could not be installed.</source>
        <translation>%1 yüklenemedi.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 başlatılamadı.</translation>
    </message>
    <message>
        <source>There is not enough disk space.</source>
        <translation>Yeterli disk alanı yok.</translation>
    </message>
    <message>
        <source>The installation package is damaged.</source>
        <translation>Kurulum paketi bozuk.</translation>
    </message>
    <message>
        <source>The installation folder cannot be written to.</source>
        <translation>Kurulum klasörüne yazılamıyor.</translation>
    </message>
    <message>
        <source>An interrupted update could not be completed.</source>
        <translation>Yarıda kalan bir güncelleme tamamlanamadı.</translation>
    </message>
    <message>
        <source>The client program could not be run.</source>
        <translation>İstemci programı çalıştırılamadı.</translation>
    </message>
    <message>
        <source>The update of %1 could not be installed; the current version keeps running.</source>
        <translation>%1 güncellemesi yüklenemedi; geçerli sürüm çalışmaya devam ediyor.</translation>
    </message>
    <message>
        <source>There is not enough disk space in %1: %2 is needed, %3 is free.</source>
        <translation>%1 içinde yeterli disk alanı yok: %2 gerekli, %3 boş.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>%1 klasörüne yazılamıyor.</translation>
    </message>
    <message>
        <source>No log could be written; the details went to standard error (run brenthor-loxen in a terminal to see them).</source>
        <translation>Günlük yazılamadı; ayrıntılar standart hata çıkışına gitti (görmek için brenthor-loxen komutunu bir terminalde çalıştırın).</translation>
    </message>
    <message>
        <source>Programs cannot be run from %1: its file system is mounted noexec.</source>
        <translation>%1 konumundan program çalıştırılamıyor: dosya sistemi noexec ile bağlanmış.</translation>
    </message>
    <message>
        <source>The client program could not be run: %1.</source>
        <translation>İstemci programı çalıştırılamadı: %1.</translation>
    </message>
    <message>
        <source>Once this is fixed, start %1 again.</source>
        <translation>Sorun giderildikten sonra %1 uygulamasını yeniden başlatın.</translation>
    </message>
    <message>
        <source>The installation of this program is incomplete. Please reinstall it.</source>
        <translation>Bu programın kurulumu eksik. Lütfen yeniden kurun.</translation>
    </message>
</context>
</TS>
