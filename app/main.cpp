#include "app/orb_calender_app.h"

// Read only by a sanitizer build: Chromium inside the embedded browser frees some of its
// own objects with a mismatched size, which is not this program's to report.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

int main(int argc, char** argv)
{
    return orb::RunOrbCalender(argc, argv);
}
