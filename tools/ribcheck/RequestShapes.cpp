#include "tools/ribcheck/RequestShapes.h"

#include <unordered_map>

namespace ribcheck {

namespace {
constexpr ParameterList kNone = ParameterList::none;
constexpr ParameterList kPlain = ParameterList::plain;
constexpr ParameterList kPrimitive = ParameterList::primitive;
constexpr Placement kStream = Placement::anywhere;
constexpr Placement kBlock = Placement::block;
constexpr Placement kOption = Placement::option;
constexpr Placement kAttribute = Placement::attribute;
constexpr Placement kMoving = Placement::movingAttribute;
constexpr Placement kGeometry = Placement::geometry;
constexpr Placement kLight = Placement::light;
constexpr Placement kSwitch = Placement::lightSwitch;
constexpr Placement kShader = Placement::shader;
constexpr Placement kTexture = Placement::texture;

// Every request of RIB, grouped as the RenderMan Interface groups them.
constexpr RequestShape kRequests[] = {
    // The stream itself.
    {"version", "f", "version", kNone, kStream},
    {"Declare", "ss", "name declaration", kNone, kStream},
    {"ErrorHandler", "s", "handler", kNone, kStream},
    {"ReadArchive", "s", "filename", kPlain, kStream},
    // Blocks.
    {"FrameBegin", "i", "frame", kNone, kBlock},
    {"FrameEnd", "", "", kNone, kBlock},
    {"WorldBegin", "", "", kNone, kBlock},
    {"WorldEnd", "", "", kNone, kBlock},
    {"AttributeBegin", "", "", kNone, kBlock},
    {"AttributeEnd", "", "", kNone, kBlock},
    {"TransformBegin", "", "", kNone, kBlock},
    {"TransformEnd", "", "", kNone, kBlock},
    {"SolidBegin", "s", "operation", kNone, kBlock},
    {"SolidEnd", "", "", kNone, kBlock},
    {"ObjectBegin", "i", "handle", kNone, kBlock},
    {"ObjectEnd", "", "", kNone, kBlock},
    {"ObjectInstance", "i", "handle", kNone, kGeometry},
    {"MotionBegin", "F", "times", kNone, kBlock},
    {"MotionEnd", "", "", kNone, kBlock},
    // Options.
    {"Format", "iif", "xresolution yresolution pixelaspectratio", kNone, kOption},
    {"FrameAspectRatio", "f", "frameaspectratio", kNone, kOption},
    {"ScreenWindow", "ffff", "left right bottom top", kNone, kOption},
    {"CropWindow", "ffff", "xmin xmax ymin ymax", kNone, kOption},
    {"Projection", "s", "name", kPlain, kOption},
    {"Clipping", "ff", "near far", kNone, kOption},
    {"DepthOfField", "fff", "fstop focallength focaldistance", kNone, kOption},
    {"Shutter", "ff", "min max", kNone, kOption},
    {"PixelVariance", "f", "variation", kNone, kOption},
    {"PixelSamples", "ff", "xsamples ysamples", kNone, kOption},
    {"PixelFilter", "sff", "filter xwidth ywidth", kNone, kOption},
    {"Exposure", "ff", "gain gamma", kNone, kOption},
    {"Imager", "s", "name", kPlain, kOption},
    {"Quantize", "siiif", "type one min max ditheramplitude", kNone, kOption},
    {"Display", "sss", "name type mode", kPlain, kOption},
    {"Hider", "s", "type", kPlain, kOption},
    {"ColorSamples", "FF", "nRGB RGBn", kNone, kOption},
    {"RelativeDetail", "f", "relativedetail", kNone, kOption},
    {"Option", "s", "name", kPlain, kAttribute},
    // Attributes.
    {"Attribute", "s", "name", kPlain, kAttribute},
    {"Color", "fff", "red green blue", kNone, kMoving},
    {"Opacity", "fff", "red green blue", kNone, kMoving},
    {"TextureCoordinates", "ffffffff", "s1 t1 s2 t2 s3 t3 s4 t4", kNone, kMoving},
    {"LightSource", "sh", "name handle", kPlain, kLight},
    {"AreaLightSource", "sh", "name handle", kPlain, kLight},
    {"Illuminate", "hi", "handle onoff", kNone, kSwitch},
    {"Surface", "s", "name", kPlain, kShader},
    {"Displacement", "s", "name", kPlain, kShader},
    {"Atmosphere", "s", "name", kPlain, kShader},
    {"Interior", "s", "name", kPlain, kShader},
    {"Exterior", "s", "name", kPlain, kShader},
    {"ShadingRate", "f", "size", kNone, kAttribute},
    {"ShadingInterpolation", "s", "type", kNone, kAttribute},
    {"Matte", "i", "onoff", kNone, kAttribute},
    {"Bound", "ffffff", "xmin xmax ymin ymax zmin zmax", kNone, kMoving},
    {"Detail", "ffffff", "xmin xmax ymin ymax zmin zmax", kNone, kMoving},
    {"DetailRange", "ffff", "minvisible lowertransition uppertransition maxvisible", kNone, kAttribute},
    {"GeometricApproximation", "sf", "type value", kNone, kAttribute},
    {"GeometricRepresentation", "s", "type", kNone, kAttribute},
    {"Orientation", "s", "orientation", kNone, kAttribute},
    {"ReverseOrientation", "", "", kNone, kAttribute},
    {"Sides", "i", "sides", kNone, kAttribute},
    {"Basis", "BiBi", "ubasis ustep vbasis vstep", kNone, kAttribute},
    // Transformations.
    {"Identity", "", "", kNone, kAttribute},
    {"Transform", "ffffffffffffffff", "m00 m01 m02 m03 m10 m11 m12 m13 m20 m21 m22 m23 m30 m31 m32 m33", kNone,
     kMoving},
    {"ConcatTransform", "ffffffffffffffff", "m00 m01 m02 m03 m10 m11 m12 m13 m20 m21 m22 m23 m30 m31 m32 m33",
     kNone, kMoving},
    {"Perspective", "f", "fov", kNone, kMoving},
    {"Translate", "fff", "dx dy dz", kNone, kMoving},
    {"Rotate", "ffff", "angle dx dy dz", kNone, kMoving},
    {"Scale", "fff", "sx sy sz", kNone, kMoving},
    {"Skew", "fffffff", "angle dx1 dy1 dz1 dx2 dy2 dz2", kNone, kMoving},
    {"CoordinateSystem", "s", "space", kNone, kAttribute},
    {"CoordSysTransform", "s", "space", kNone, kAttribute},
    // Geometry.
    {"Polygon", "", "", kPrimitive, kGeometry},
    {"GeneralPolygon", "I", "nvertices", kPrimitive, kGeometry},
    {"PointsPolygons", "II", "nvertices vertices", kPrimitive, kGeometry},
    {"PointsGeneralPolygons", "III", "nloops nvertices vertices", kPrimitive, kGeometry},
    {"Patch", "s", "type", kPrimitive, kGeometry},
    {"PatchMesh", "sisis", "type nu uwrap nv vwrap", kPrimitive, kGeometry},
    {"NuPatch", "iiFffiiFff", "nu uorder uknot umin umax nv vorder vknot vmin vmax", kPrimitive, kGeometry},
    {"TrimCurve", "IIFFFIFFF", "ncurves order knot min max n u v w", kNone, kAttribute},
    {"Sphere", "ffff", "radius zmin zmax thetamax", kPrimitive, kGeometry},
    {"Cone", "fff", "height radius thetamax", kPrimitive, kGeometry},
    {"Cylinder", "ffff", "radius zmin zmax thetamax", kPrimitive, kGeometry},
    {"Hyperboloid", "fffffff", "x1 y1 z1 x2 y2 z2 thetamax", kPrimitive, kGeometry},
    {"Paraboloid", "ffff", "rmax zmin zmax thetamax", kPrimitive, kGeometry},
    {"Disk", "fff", "height radius thetamax", kPrimitive, kGeometry},
    {"Torus", "fffff", "majorradius minorradius phimin phimax thetamax", kPrimitive, kGeometry},
    {"Points", "", "", kPrimitive, kGeometry},
    {"Curves", "sIs", "type nvertices wrap", kPrimitive, kGeometry},
    {"SubdivisionMesh", "sII[SIIF]", "scheme nvertices vertices tags nargs intargs floatargs", kPrimitive, kGeometry},
    {"Blobby", "iIFS", "nleaf code floats strings", kPrimitive, kGeometry},
    {"Procedural", "sSF", "procname args bound", kNone, kGeometry},
    {"Geometry", "s", "type", kPlain, kGeometry},
    // Textures.
    {"MakeTexture", "sssssff", "picturename texturename swrap twrap filter swidth twidth", kPlain, kTexture},
    {"MakeBump", "sssssff", "picturename texturename swrap twrap filter swidth twidth", kPlain, kTexture},
    {"MakeLatLongEnvironment", "sssff", "picturename texturename filter swidth twidth", kPlain, kTexture},
    {"MakeCubeFaceEnvironment", "sssssssfsff", "px nx py ny pz nz texturename fov filter swidth twidth", kPlain,
     kTexture},
    {"MakeShadow", "ss", "picturename texturename", kPlain, kTexture},
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
