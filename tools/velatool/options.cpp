// Ending velatool commands with the right status and text.
#include "velatool/options.h"

#include <cstdio>

#include "resources/pack_archive.h"
#include "velatool/output_files.h"

int RunCommand(const char* name, const char* usage, const std::function<int()>& body)
{
    // A damaged pack member ends the process from inside the reader: no unfinished output stays.
    SetPackFailureHook(DiscardOpenOutputs);
    int status = 0;
    try {
        status = body();
    } catch (const HelpRequested&) {
        std::fputs(usage, stdout);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "velatool %s: %s\nsee 'velatool %s --help'\n", name, e.problem.c_str(), name);
        status = 2;
    } catch (const CommandFailure& f) {
        if (!f.message.empty()) std::fprintf(stderr, "velatool %s: %s\n", name, f.message.c_str());
        status = f.status;
    }
    SetPackFailureHook(nullptr);
    return status;
}
