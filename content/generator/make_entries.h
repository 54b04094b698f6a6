// Making the manifest's entries: its names checked, and the chosen entries made on several
// threads, each into its own slot, so the bytes depend on the sources alone.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "generator/manifest.h"

// Empty, or what is wrong with the manifest (a name listed twice) or with the names asked
// for (`only`, upper-cased: one the manifest lacks).
std::string CheckManifest(const std::vector<content::ContentEntry>& manifest, const std::set<std::string>& only);

// The entries asked for, in manifest order (all of them when `only` is empty).
std::vector<const content::ContentEntry*> ChooseEntries(const std::vector<content::ContentEntry>& manifest,
                                                        const std::set<std::string>& only);

// Makes every chosen entry on up to `jobs` threads. Empty, or "NAME: what went wrong" for the
// first entry (in manifest order) that failed.
std::string MakeEntries(const std::vector<const content::ContentEntry*>& chosen, unsigned jobs,
                        std::vector<std::vector<uint8_t>>* made);
