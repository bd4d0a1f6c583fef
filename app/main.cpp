#include "app/orb_calender_app.h"

int main(int argc, char** argv)
{
    return orb::RunOrbCalender(argc, argv);
}
