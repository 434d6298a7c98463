// Watches the DLL at its import table. Four thin wrappers are always in
// place: they route the dialog procedure through the probe and note the
// moments the table needs (the initialisation wait, the end of the erase
// confirmation, the start of EndDialog). A profile, on request, times every
// other system call the DLL makes on its busy paths.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "support/import_patch.h"

namespace bench {

struct DllMoments {
    double slept_ms = 0.0;              // time inside Sleep, summed
    double message_box_returned = 0.0;  // when MessageBoxW last returned
    double end_dialog_entered = 0.0;    // when EndDialog was last entered
};

class Instrument {
public:
    explicit Instrument(HMODULE dll);
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;
    ~Instrument();
    bool complete() const;
    DllMoments& moments();

private:
    std::vector<std::unique_ptr<support::ImportPatch>> patches_;
};

// Times spent inside the DLL's system calls while counting is on, outermost
// calls only.
class ImportProfile {
public:
    explicit ImportProfile(HMODULE dll);
    ImportProfile(const ImportProfile&) = delete;
    ImportProfile& operator=(const ImportProfile&) = delete;
    ~ImportProfile();

    static void reset();
    static void set_counting(bool counting);
    // One line per call with its share of `operations`, largest first, and
    // the rest of elapsed_ms: our own code and the calls not timed.
    static void print(const char* title, int operations, double elapsed_ms);

private:
    std::vector<std::unique_ptr<support::ImportPatch>> patches_;
};

}  // namespace bench
