#include "tools/ribcheck/RequestShapes.h"

#include <unordered_map>

namespace ribcheck {

namespace {
constexpr ParameterList kNone = ParameterList::none;
constexpr ParameterList kPlain = ParameterList::plain;
constexpr ParameterList kPrimitive = ParameterList::primitive;

// Every request of RIB, grouped as the RenderMan Interface groups them.
constexpr RequestShape kRequests[] = {
    // The stream itself.
    {"version", "f", "version", kNone},
    {"Declare", "ss", "name declaration", kNone},
    {"ErrorHandler", "s", "handler", kNone},
    {"ReadArchive", "s", "filename", kPlain},
    // Blocks.
    {"FrameBegin", "i", "frame", kNone},
    {"FrameEnd", "", "", kNone},
    {"WorldBegin", "", "", kNone},
    {"WorldEnd", "", "", kNone},
    {"AttributeBegin", "", "", kNone},
    {"AttributeEnd", "", "", kNone},
    {"TransformBegin", "", "", kNone},
    {"TransformEnd", "", "", kNone},
    {"SolidBegin", "s", "operation", kNone},
    {"SolidEnd", "", "", kNone},
    {"ObjectBegin", "i", "handle", kNone},
    {"ObjectEnd", "", "", kNone},
    {"ObjectInstance", "i", "handle", kNone},
    {"MotionBegin", "F", "times", kNone},
    {"MotionEnd", "", "", kNone},
    // Options.
    {"Format", "iif", "xresolution yresolution pixelaspectratio", kNone},
    {"FrameAspectRatio", "f", "frameaspectratio", kNone},
    {"ScreenWindow", "ffff", "left right bottom top", kNone},
    {"CropWindow", "ffff", "xmin xmax ymin ymax", kNone},
    {"Projection", "s", "name", kPlain},
    {"Clipping", "ff", "near far", kNone},
    {"DepthOfField", "fff", "fstop focallength focaldistance", kNone},
    {"Shutter", "ff", "min max", kNone},
    {"PixelVariance", "f", "variation", kNone},
    {"PixelSamples", "ff", "xsamples ysamples", kNone},
    {"PixelFilter", "sff", "filter xwidth ywidth", kNone},
    {"Exposure", "ff", "gain gamma", kNone},
    {"Imager", "s", "name", kPlain},
    {"Quantize", "siiif", "type one min max ditheramplitude", kNone},
    {"Display", "sss", "name type mode", kPlain},
    {"Hider", "s", "type", kPlain},
    {"ColorSamples", "FF", "nRGB RGBn", kNone},
    {"RelativeDetail", "f", "relativedetail", kNone},
    {"Option", "s", "name", kPlain},
    // Attributes.
    {"Attribute", "s", "name", kPlain},
    {"Color", "fff", "red green blue", kNone},
    {"Opacity", "fff", "red green blue", kNone},
    {"TextureCoordinates", "ffffffff", "s1 t1 s2 t2 s3 t3 s4 t4", kNone},
    {"LightSource", "sh", "name handle", kPlain},
    {"AreaLightSource", "sh", "name handle", kPlain},
    {"Illuminate", "hi", "handle onoff", kNone},
    {"Surface", "s", "name", kPlain},
    {"Displacement", "s", "name", kPlain},
    {"Atmosphere", "s", "name", kPlain},
    {"Interior", "s", "name", kPlain},
    {"Exterior", "s", "name", kPlain},
    {"ShadingRate", "f", "size", kNone},
    {"ShadingInterpolation", "s", "type", kNone},
    {"Matte", "i", "onoff", kNone},
    {"Bound", "ffffff", "xmin xmax ymin ymax zmin zmax", kNone},
    {"Detail", "ffffff", "xmin xmax ymin ymax zmin zmax", kNone},
    {"DetailRange", "ffff", "minvisible lowertransition uppertransition maxvisible", kNone},
    {"GeometricApproximation", "sf", "type value", kNone},
    {"GeometricRepresentation", "s", "type", kNone},
    {"Orientation", "s", "orientation", kNone},
    {"ReverseOrientation", "", "", kNone},
    {"Sides", "i", "sides", kNone},
    {"Basis", "BiBi", "ubasis ustep vbasis vstep", kNone},
    // Transformations.
    {"Identity", "", "", kNone},
    {"Transform", "ffffffffffffffff", "m00 m01 m02 m03 m10 m11 m12 m13 m20 m21 m22 m23 m30 m31 m32 m33", kNone},
    {"ConcatTransform", "ffffffffffffffff", "m00 m01 m02 m03 m10 m11 m12 m13 m20 m21 m22 m23 m30 m31 m32 m33",
     kNone},
    {"Perspective", "f", "fov", kNone},
    {"Translate", "fff", "dx dy dz", kNone},
    {"Rotate", "ffff", "angle dx dy dz", kNone},
    {"Scale", "fff", "sx sy sz", kNone},
    {"Skew", "fffffff", "angle dx1 dy1 dz1 dx2 dy2 dz2", kNone},
    {"CoordinateSystem", "s", "space", kNone},
    {"CoordSysTransform", "s", "space", kNone},
    // Geometry.
    {"Polygon", "", "", kPrimitive},
    {"GeneralPolygon", "I", "nvertices", kPrimitive},
    {"PointsPolygons", "II", "nvertices vertices", kPrimitive},
    {"PointsGeneralPolygons", "III", "nloops nvertices vertices", kPrimitive},
    {"Patch", "s", "type", kPrimitive},
    {"PatchMesh", "sisis", "type nu uwrap nv vwrap", kPrimitive},
    {"NuPatch", "iiFffiiFff", "nu uorder uknot umin umax nv vorder vknot vmin vmax", kPrimitive},
    {"TrimCurve", "IIFFFIFFF", "ncurves order knot min max n u v w", kNone},
    {"Sphere", "ffff", "radius zmin zmax thetamax", kPrimitive},
    {"Cone", "fff", "height radius thetamax", kPrimitive},
    {"Cylinder", "ffff", "radius zmin zmax thetamax", kPrimitive},
    {"Hyperboloid", "fffffff", "x1 y1 z1 x2 y2 z2 thetamax", kPrimitive},
    {"Paraboloid", "ffff", "rmax zmin zmax thetamax", kPrimitive},
    {"Disk", "fff", "height radius thetamax", kPrimitive},
    {"Torus", "fffff", "majorradius minorradius phimin phimax thetamax", kPrimitive},
    {"Points", "", "", kPrimitive},
    {"Curves", "sIs", "type nvertices wrap", kPrimitive},
    {"SubdivisionMesh", "sII[SIIF]", "scheme nvertices vertices tags nargs intargs floatargs", kPrimitive},
    {"Blobby", "iIFS", "nleaf code floats strings", kPrimitive},
    {"Procedural", "sSF", "procname args bound", kNone},
    {"Geometry", "s", "type", kPlain},
    // Textures.
    {"MakeTexture", "sssssff", "picturename texturename swrap twrap filter swidth twidth", kPlain},
    {"MakeBump", "sssssff", "picturename texturename swrap twrap filter swidth twidth", kPlain},
    {"MakeLatLongEnvironment", "sssff", "picturename texturename filter swidth twidth", kPlain},
    {"MakeCubeFaceEnvironment", "sssssssfsff", "px nx py ny pz nz texturename fov filter swidth twidth", kPlain},
    {"MakeShadow", "ss", "picturename texturename", kPlain},
};
}  // namespace

const RequestShape* findRequest(const std::string& name)
{
    static const std::unordered_map<std::string, const RequestShape*> byName = [] {
        std::unordered_map<std::string, const RequestShape*> map;
        for (const RequestShape& shape : kRequests) map.emplace(shape.name, &shape);
        return map;
    }();
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
}

}  // namespace ribcheck
