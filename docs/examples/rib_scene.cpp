// Writes a one-frame RenderMan scene, a red sphere on a floor under a
// distant light, to the file named on the command line (or to standard
// output without one).

#include <ri.h>

int main(int argc, char** argv)
{
    // An output that cannot be opened has been reported (on standard error,
    // by the default handler) and leaves nothing to write to.
    if (RiBegin(argc > 1 ? argv[1] : RI_NULL) == nullptr) return 1;

    RiFrameBegin(1);
    RiDisplay("sphere.tif", "file", "rgb", RI_NULL);
    RiFormat(320, 240, 1);
    RtFloat fov = 40;
    RiProjection("perspective", "fov", &fov, RI_NULL);
    RiTranslate(0, -0.5f, 6);

    RiWorldBegin();
    RtFloat intensity = 1.2f;
    RtPoint from = {1, 4, -2};
    RtPoint to = {0, 0, 0};
    RtLightHandle sun =
        RiLightSource("distantlight", "intensity", &intensity, "from", from, "to", to, RI_NULL);
    RiIlluminate(sun, RI_TRUE);

    RiAttributeBegin();
    RtColor red = {0.8f, 0.1f, 0.1f};
    RiColor(red);
    RtFloat roughness = 0.05f;
    RiSurface("plastic", "roughness", &roughness, RI_NULL);
    RiSphere(1, -1, 1, 360, RI_NULL);
    RiAttributeEnd();

    RiAttributeBegin();
    RiSurface("matte", RI_NULL);
    RtPoint floor[4] = {{-5, -1, -5}, {5, -1, -5}, {5, -1, 5}, {-5, -1, 5}};
    RiPolygon(4, "P", floor, RI_NULL);
    RiAttributeEnd();
    RiWorldEnd();
    RiFrameEnd();

    RiEnd();
    return 0;
}
