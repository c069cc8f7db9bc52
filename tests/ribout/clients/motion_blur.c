/* A sphere that moves while the shutter is open. */
#include <stdio.h>
#include <ri.h>

int main(int argc, char *argv[])
{
    RtFloat times[2] = {0, 1};
    RtVector axis = {0, 1, 0};

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    RiBegin(argv[1]);
    RiFrameBegin(1);
    RiShutter(0, 1);
    RiWorldBegin();
    RiMotionBegin(2, 0.0, 1.0);
    RiTranslate(-1, 0, 5);
    RiTranslate(1, 0, 5);
    RiMotionEnd();
    RiMotionBeginV(2, times);
    RiRotate(0, axis[0], axis[1], axis[2]);
    RiRotate(30, axis[0], axis[1], axis[2]);
    RiMotionEnd();
    RiSphere(0.5f, -0.5f, 0.5f, 360, RI_NULL);
    RiWorldEnd();
    RiFrameEnd();
    RiEnd();
    return 0;
}
