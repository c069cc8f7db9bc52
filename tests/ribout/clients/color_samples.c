/* Colours of one sample (grey levels): every colour is one float, and the
 * library must read no more than that from the program's arrays. */
#include <stdio.h>
#include <ri.h>

int main(int argc, char *argv[])
{
    RtFloat toRgb[3] = {1, 1, 1};
    RtFloat fromRgb[3] = {0.3f, 0.59f, 0.11f};
    RtFloat grey[1] = {0.5f};
    RtFloat opaque[1] = {1};
    RtFloat cornerGreys[3] = {0.2f, 0.4f, 0.6f};
    RtPoint triangle[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    RiBegin(argv[1]);
    RiFrameBegin(1);
    RiColorSamples(1, toRgb, fromRgb);
    RiWorldBegin();
    RiColor(grey);
    RiOpacity(opaque);
    RiPolygon(3, RI_P, (RtPointer)triangle, RI_CS, (RtPointer)cornerGreys, RI_NULL);
    RiWorldEnd();
    RiFrameEnd();
    RiEnd();
    return 0;
}
