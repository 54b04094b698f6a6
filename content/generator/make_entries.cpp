#include "generator/make_entries.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <exception>
#include <thread>

namespace {

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string CheckManifest(const std::vector<content::ContentEntry>& manifest, const std::set<std::string>& only)
{
    std::set<std::string> seen;
    for (const content::ContentEntry& e : manifest) {
        if (!seen.insert(Upper(e.name)).second) return "the manifest lists '" + e.name + "' twice";
    }
    for (const std::string& name : only) {
        if (!seen.count(name)) return "no entry named '" + name + "' in the manifest";
    }
    return "";
}

std::vector<const content::ContentEntry*> ChooseEntries(const std::vector<content::ContentEntry>& manifest,
                                                        const std::set<std::string>& only)
{
    std::vector<const content::ContentEntry*> chosen;
    for (const content::ContentEntry& e : manifest) {
        if (only.empty() || only.count(Upper(e.name))) chosen.push_back(&e);
    }
    return chosen;
}

std::string MakeEntries(const std::vector<const content::ContentEntry*>& chosen, unsigned jobs,
                        std::vector<std::vector<uint8_t>>* made)
{
    made->assign(chosen.size(), {});
    std::vector<std::string> errors(chosen.size());
    std::atomic<size_t> next{0};
    auto work = [&]() {
        for (size_t i; (i = next.fetch_add(1)) < chosen.size();) {
            try {
                (*made)[i] = chosen[i]->make();
                if ((*made)[i].empty()) errors[i] = "made no bytes";
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < std::min<size_t>(jobs, chosen.size()); ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (!errors[i].empty()) return chosen[i]->name + ": " + errors[i];
    }
    return "";
}
