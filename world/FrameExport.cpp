#include "world/FrameExport.h"

#include "geometry/GenericObject.h"
#include "softbody/SoftBody.h"
#include "world/FrameFiles.h"
#include "world/World.h"

#include <ri.h>

#include <cstdio>

std::int32_t frameCounter = -1;
const char* exportTarget = "blorp10.rib";
const char* exportFramePattern = nullptr;
int exportImageWidth = 400;
int exportImageHeight = 400;

namespace {
// One frame is written for every kFrameInterval calls, that is every
// kFrameInterval simulation steps when called once per step.
constexpr std::int32_t kFrameInterval = 8;
// RiDisplay names are cut to this many characters: frame 9999 is the last
// whose name ("blorp9999.tif") survives whole.
constexpr size_t kDisplayNameLength = 13;

void polygon(RtFloat (&points)[12]) { RiPolygon(4, "P", points, RI_NULL); }

void writeCameraAndLights()
{
    RtFloat fov = 90.0f;
    RiFormat(exportImageWidth, exportImageHeight, 1.0f);
    RiProjection("perspective", "fov", &fov, RI_NULL);
    // The camera at (0, 0, 5) looking toward -z, y up. It stands directly in
    // the frame: renderers accept WorldBegin only outside every attribute and
    // transform block, and FrameEnd restores the transformation anyway.
    RiScale(1.0f, 1.0f, -1.0f);
    RiTranslate(0.0f, 0.0f, -5.0f);
    // Parameters of the glass shader that SoftBody::writeRib uses.
    RiDeclare("blur", "float");
    RiDeclare("transmitcolor", "color");
    RiWorldBegin();

    RtFloat ambientIntensity = 0.7f;
    RtLightHandle ambient = RiLightSource("ambientlight", "intensity", &ambientIntensity, RI_NULL);
    RiIlluminate(ambient, 1);
    RtToken on = "on";
    RiAttribute("light", "shadows", &on, RI_NULL);
    RtFloat spotIntensity = 390.0f, coneAngle = 45.0f;
    RtPoint from = {0.0f, 20.0f, -1.0f}, to = {0.0f, -5.0f, -1.0f};
    RtLightHandle spot =
        RiLightSource("spotlight", "intensity", &spotIntensity, "from", from, "to", to, "coneangle", &coneAngle, RI_NULL);
    RiIlluminate(spot, 1);
}

// The room matches the simulation's fixed planes: the floor 0.002 below
// y = -4, the side walls at x = ±4; all three blocks sit on the floor.
void writeRoom()
{
    RiAttributeBegin();
    RiTranslate(0.0f, -4.002f, 0.0f);
    RiSurface("oak", RI_NULL);
    RtFloat floor[12] = {-100, 0, -100, -100, 0, 100, 100, 0, -100, 100, 0, 100};
    RiPatch("bilinear", "P", floor, RI_NULL);
    RiAttributeEnd();

    RiAttributeBegin();
    RiTranslate(0.0f, -4.002f, 0.0f);
    RiSurface("plastic", RI_NULL);
    RtColor wallColour = {0.5f, 0.45f, 0.5f};
    RiColor(wallColour);
    RtFloat back[12] = {-4, 0, 100, 4, 0, 100, 4, 50, 100, -4, 50, 100};
    RtFloat left[12] = {-4, 0, -100, -4, 0, 100, -4, 50, 100, -4, 50, -100};
    RtFloat right[12] = {4, 0, 100, 4, 0, -100, 4, 50, -100, 4, 50, 100};
    RtFloat front[12] = {-4, 0, -100, 4, 0, -100, 4, 50, -100, -4, 50, -100};
    polygon(back);
    polygon(left);
    polygon(right);
    polygon(front);
    RiAttributeEnd();

    RiAttributeBegin();
    RiTranslate(0.0f, -4.002f, 0.0f);
    RtToken texture = "ss021.tif";
    RiSurface("paintedplastic", "texturename", &texture, RI_NULL);
    RiTextureCoordinates(0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f, 1.0f, 0.4f);
    RtFloat ceiling[12] = {-100, 50, -100, -100, 50, 100, 100, 50, -100, 100, 50, 100};
    RiPatch("bilinear", "P", ceiling, RI_NULL);
    RiAttributeEnd();
}

// A red arrow in the plane z = const, its tip on the body's mass point
// (0, 1, 1), pointing toward +x.
void writeArrow(const Vector3& tip)
{
    const double x = tip.x, y = tip.y, z = tip.z;
    RtFloat points[21] = {
        RtFloat(x),
        RtFloat(y),
        RtFloat(z),
        RtFloat(x - 1),
        RtFloat(y - 1),
        RtFloat(z),
        RtFloat(x - 1),
        RtFloat(y - 0.5),
        RtFloat(z),
        RtFloat(x - 3),
        RtFloat(y - 0.5),
        RtFloat(z),
        RtFloat(x - 3),
        RtFloat(y + 0.5),
        RtFloat(z),
        RtFloat(x - 1),
        RtFloat(y + 0.5),
        RtFloat(z),
        RtFloat(x - 1),
        RtFloat(y + 1),
        RtFloat(z),
    };
    RtColor red = {0.9f, 0.0f, 0.0f};
    RiAttributeBegin();
    RiColor(red);
    RiSurface("plastic", RI_NULL);
    RiPolygon(7, "P", points, RI_NULL);
    RiAttributeEnd();
}
}  // namespace

bool nextExportWritesFrame() { return (frameCounter + 1) % kFrameInterval == 0; }

void World::exportFrame()
{
    ++frameCounter;
    if (frameCounter == 0 && exportFramePattern == nullptr) RiBegin(exportTarget);
    if (frameCounter % kFrameInterval != 0) return;
    const std::int32_t frame = frameCounter / kFrameInterval;
    // A frame whose file cannot be opened is skipped; the failure is on
    // record for the caller to stop on.
    if (exportFramePattern != nullptr && !frameFiles::beginFrame(exportFramePattern, int(frame))) return;

    char name[32];
    std::snprintf(name, sizeof name, "blorp%03d.tif", int(frame));
    name[kDisplayNameLength] = '\0';

    RiFrameBegin(frame);
    RiDisplay(name, "file", "rgba", RI_NULL);
    writeCameraAndLights();
    writeRoom();
    for (SoftBody* body : activeBodies) body->writeRib();
    if (arrowPending) {
        // Mass point (0, 1, 1) exists only with two layers along y and z.
        if (!activeBodies.empty() && activeBodies.front()->nodesY > 1 && activeBodies.front()->nodesZ > 1)
            writeArrow(activeBodies.front()->node(0, 1, 1)->position);
        arrowPending = false;
    }
    for (GenericObject* object : objects) object->writeRib();
    RiWorldEnd();
    RiFrameEnd();
    if (exportFramePattern != nullptr) frameFiles::endFrame();
}
