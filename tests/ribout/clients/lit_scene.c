/* A lit scene with a camera, written the way RenderMan programs for C are:
 * token arrays of char *, the standard token and filter symbols, a handler
 * of the binding's own type. Writes the RIB file named on the command line. */
#include <stdio.h>
#include <ri.h>

static int reports = 0;

static void countReports(RtInt code, RtInt severity, char *message)
{
    (void)code;
    (void)severity;
    (void)message;
    ++reports;
}

int main(int argc, char *argv[])
{
    RtPoint from = {0, 5, -5};
    RtPoint to = {0, 0, 0};
    RtFloat intensity = 0.8f, ambient = 0.2f, fov = 45, kd = 0.7f;
    RtColor lightColor = {1, 0.9f, 0.8f};
    RtColor orange = {1, 0.5f, 0};
    RtPoint floorPoints[4] = {{-4, -1, -4}, {4, -1, -4}, {4, -1, 4}, {-4, -1, 4}};
    RtNormal up[4] = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    char *tokens[3];
    RtPointer values[3];
    RtLightHandle sun;

    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE.rib\n", argv[0]);
        return 2;
    }
    RiErrorHandler(countReports);
    RiBegin(argv[1]);
    RiFrameBegin(1);
    RiDisplay("lit.tif", RI_FILE, RI_RGBA, RI_NULL);
    RiFormat(640, 480, 1);
    RiPixelSamples(2, 2);
    RiPixelFilter(RiGaussianFilter, 2, 2);
    RiProjection(RI_PERSPECTIVE, RI_FOV, &fov, RI_NULL);
    RiTranslate(0, 0, 8);
    RiRotate(-20, 1, 0, 0);
    RiWorldBegin();
    RiLightSource(RI_AMBIENTLIGHT, RI_INTENSITY, &ambient, RI_NULL);
    tokens[0] = "from";
    values[0] = (RtPointer)from;
    tokens[1] = "to";
    values[1] = (RtPointer)to;
    tokens[2] = "intensity";
    values[2] = (RtPointer)&intensity;
    sun = RiLightSourceV(RI_DISTANTLIGHT, 3, tokens, values);
    RiIlluminate(sun, RI_TRUE);
    RiAttributeBegin();
    RiColor(orange);
    RiSurface(RI_PLASTIC, RI_KD, &kd, RI_SPECULARCOLOR, lightColor, RI_NULL);
    RiSphere(1, -1, 1, 360, RI_NULL);
    RiAttributeEnd();
    RiAttributeBegin();
    RiSurface(RI_MATTE, RI_NULL);
    tokens[0] = RI_P;
    values[0] = (RtPointer)floorPoints;
    tokens[1] = RI_N;
    values[1] = (RtPointer)up;
    RiPolygonV(4, 2, tokens, values);
    RiAttributeEnd();
    RiWorldEnd();
    RiFrameEnd();
    RiEnd();
    return reports == 0 ? 0 : 1;
}
