/* A C program's use of the RenderMan procedures: the header compiles as C
 * and the procedures link with C names. */
#include <ri.h>

void describeFrameFromC(void)
{
    RtColor red = {1.0f, 0.0f, 0.0f};
    RtFloat radius = 0.5f;
    RiFrameBegin(3);
    RiColor(red);
    RiSphere(radius, -radius, radius, 360.0f, RI_P, (RtPointer)red, RI_NULL);
    RiFrameEnd();
}
