/* Makes a shadow map and an environment map, then a frame that uses them:
 * a depth pass from the light, MakeShadow, MakeTexture and a shadowed spot. */
#include <stdio.h>
#include <ri.h>

int main(int argc, char *argv[])
{
    RtString shadowName = "spot.shd";
    RtString mapName = "wood.tx";
    RtFloat coneAngle = 0.5f;
    RtPoint from = {0, 4, 0};
    RtPoint to = {0, 0, 0};
    RtPoint ground[4] = {{-2, 0, -2}, {2, 0, -2}, {2, 0, 2}, {-2, 0, 2}};
    RtLightHandle spot;

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    RiBegin(argv[1]);
    RiDeclare("shadowname", "uniform string");

    RiFrameBegin(1);
    RiDisplay("spot.z", "zfile", RI_Z, RI_NULL);
    RiFormat(256, 256, 1);
    RiPixelSamples(1, 1);
    RiPixelFilter(RiBoxFilter, 1, 1);
    RiWorldBegin();
    RiSphere(0.5f, -0.5f, 0.5f, 360, RI_NULL);
    RiWorldEnd();
    RiFrameEnd();

    RiMakeShadow("spot.z", shadowName, RI_NULL);
    RiMakeTexture("wood.tif", mapName, RI_PERIODIC, RI_PERIODIC, RiGaussianFilter, 2, 2, RI_NULL);
    RiMakeLatLongEnvironment("sky.tif", "sky.env", RiCatmullRomFilter, 4, 4, RI_NULL);

    RiFrameBegin(2);
    RiDisplay("shadowed.tif", RI_FILE, RI_RGB, RI_NULL);
    RiWorldBegin();
    spot = RiLightSource("shadowspot", RI_FROM, from, RI_TO, to, RI_CONEANGLE, &coneAngle,
                         "shadowname", &shadowName, RI_NULL);
    RiIlluminate(spot, RI_TRUE);
    RiSurface(RI_PAINTEDPLASTIC, RI_TEXTURENAME, &mapName, RI_NULL);
    RiSphere(0.5f, -0.5f, 0.5f, 360, RI_NULL);
    RiPolygon(4, RI_P, (RtPointer)ground, RI_NULL);
    RiWorldEnd();
    RiFrameEnd();
    RiEnd();
    return 0;
}
