#pragma once

#include <string>

#include "extractor/package-extractor.h"

struct archive_entry;

// Sets the verdict of result and says why: the entry or the offset, and what is wrong there.
void Refuse(PackageExtractor::CheckResult &result, PackageExtractor::CheckResult::Verdict verdict,
            const std::string &why);

// "entry 'path': ", the start of a reason about entry.
std::string EntryName(archive_entry *entry);

// Adds entry to the sums of result (entries, block-rounded bytes, inodes); false, with the
// verdict set, once they pass the budget.
bool AddToSums(archive_entry *entry, const PackageExtractor::Budget &budget,
               PackageExtractor::CheckResult &result);
