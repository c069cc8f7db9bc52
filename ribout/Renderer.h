// The abstract renderer behind the RenderMan procedures.
//
// The order of the virtual operations is a contract: slot 0 is the
// destructor, slots 1 to 137 follow below in this exact order (note that
// AttributeV comes before Attribute). Do not reorder, insert or remove.
//
// Every fixed operation and every V form is pure virtual. Every
// variable-argument operation is implemented once here: it gathers its
// token/value pairs with collectParameterList and calls the V form of the
// same operation on the same object. A concrete renderer therefore overrides
// the destructor, the fixed operations and the V forms only.
#pragma once

#include <cstdarg>

#include <ri.h>

/// Most token/value pairs a variable-argument call passes on; later pairs
/// are ignored.
constexpr int kMaxParameterPairs = 512;

/// Reads alternating token and value pointers from `args` until a null token
/// or kMaxParameterPairs pairs, storing them in `tokens` and `values` (each
/// room for kMaxParameterPairs). Returns the number of pairs.
int collectParameterList(va_list args, RtToken tokens[], RtPointer values[]);

/// True when a string parameter value (a pointer to an RtString, as every
/// value points to its data) holds `text`; a null string holds nothing.
bool stringValueIs(RtPointer value, const char* text);

/// Most motion times a variable-argument MotionBegin keeps.
constexpr int kMaxMotionTimes = 100;

/// Reads `n` times from `args` (floats arrive promoted to double) into
/// `times` (room for kMaxMotionTimes) and returns how many it kept. With more
/// than kMaxMotionTimes it keeps the first ones and reports RIE_LIMIT at
/// RIE_ERROR with the message "RiMotionBegin"; a negative n keeps none.
int collectMotionTimes(RtInt n, va_list args, RtFloat times[]);

class Renderer {
public:
    Renderer() = default;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    /// Slot 0: deleting the renderer finishes and closes its output.
    virtual ~Renderer();

    virtual void FrameBegin(RtInt frame) = 0;
    virtual void FrameEnd() = 0;
    virtual void WorldBegin() = 0;
    virtual void WorldEnd() = 0;
    virtual void Format(RtInt xres, RtInt yres, RtFloat aspect) = 0;
    virtual void FrameAspectRatio(RtFloat aspect) = 0;
    virtual void ScreenWindow(RtFloat left, RtFloat right, RtFloat bottom, RtFloat top) = 0;
    virtual void CropWindow(RtFloat xmin, RtFloat xmax, RtFloat ymin, RtFloat ymax) = 0;
    virtual void Projection(RtToken name, ...);
    virtual void ProjectionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Clipping(RtFloat hither, RtFloat yon) = 0;
    virtual void DepthOfField(RtFloat fstop, RtFloat focallength, RtFloat focaldistance) = 0;
    virtual void Shutter(RtFloat min, RtFloat max) = 0;
    virtual void PixelVariance(RtFloat variation) = 0;
    virtual void PixelSamples(RtFloat xsamples, RtFloat ysamples) = 0;
    virtual void PixelFilter(RtFilterFunc filterfunc, RtFloat xwidth, RtFloat ywidth) = 0;
    virtual void Exposure(RtFloat gain, RtFloat gamma) = 0;
    virtual void Quantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat amplitude) = 0;
    virtual void Display(RtToken name, RtToken type, RtToken mode, ...);
    virtual void DisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, RtToken tokens[],
                          RtPointer values[]) = 0;
    virtual void Hider(RtToken type, ...);
    virtual void HiderV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void ColorSamples(RtInt n, RtFloat nRGB[], RtFloat RGBn[]) = 0;
    virtual void RelativeDetail(RtFloat relativedetail) = 0;
    virtual void Option(RtToken name, ...);
    virtual void OptionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void AttributeBegin() = 0;
    virtual void AttributeEnd() = 0;
    virtual void Color(RtColor color) = 0;
    virtual void Opacity(RtColor color) = 0;
    virtual void TextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3,
                                    RtFloat t3, RtFloat s4, RtFloat t4) = 0;
    virtual void ShadingRate(RtFloat size) = 0;
    virtual void ShadingInterpolation(RtToken type) = 0;
    virtual void Matte(RtBoolean onoff) = 0;
    virtual void Bound(RtBound bound) = 0;
    virtual void Detail(RtBound bound) = 0;
    virtual void DetailRange(RtFloat minvisible, RtFloat lowertransition, RtFloat uppertransition,
                             RtFloat maxvisible) = 0;
    virtual void GeometricApproximation(RtToken type, RtFloat value) = 0;
    virtual void GeometricRepresentation(RtToken type) = 0;
    virtual void Sides(RtInt sides) = 0;
    virtual void Orientation(RtToken orientation) = 0;
    virtual void ReverseOrientation() = 0;
    virtual void AttributeV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Attribute(RtToken name, ...);
    virtual void Identity() = 0;
    virtual void ConcatTransform(RtMatrix transform) = 0;
    virtual void Transform(RtMatrix transform) = 0;
    virtual void Perspective(RtFloat fov) = 0;
    virtual void Translate(RtFloat dx, RtFloat dy, RtFloat dz) = 0;
    virtual void Rotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz) = 0;
    virtual void Scale(RtFloat sx, RtFloat sy, RtFloat sz) = 0;
    virtual void Skew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2,
                      RtFloat dy2, RtFloat dz2) = 0;
    virtual void CoordinateSystem(RtToken space) = 0;
    virtual void CoordSysTransform(RtToken space) = 0;
    virtual RtPoint* TransformPoints(RtToken fromspace, RtToken tospace, RtInt n,
                                     RtPoint points[]) = 0;
    virtual void TransformBegin() = 0;
    virtual void TransformEnd() = 0;
    /// Reads n times as promoted float arguments; keeps at most
    /// kMaxMotionTimes and reports RIE_LIMIT when there are more.
    virtual void MotionBegin(RtInt n, ...);
    virtual void MotionBeginV(RtInt n, RtFloat times[]) = 0;
    virtual void MotionEnd() = 0;
    virtual void Surface(RtToken name, ...);
    virtual void SurfaceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Displacement(RtToken name, ...);
    virtual void DisplacementV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Atmosphere(RtToken name, ...);
    virtual void AtmosphereV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Interior(RtToken name, ...);
    virtual void InteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Exterior(RtToken name, ...);
    virtual void ExteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Imager(RtToken name, ...);
    virtual void ImagerV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual RtLightHandle LightSource(RtToken name, ...);
    virtual RtLightHandle LightSourceV(RtToken name, RtInt n, RtToken tokens[],
                                       RtPointer values[]) = 0;
    virtual RtLightHandle AreaLightSource(RtToken name, ...);
    virtual RtLightHandle AreaLightSourceV(RtToken name, RtInt n, RtToken tokens[],
                                           RtPointer values[]) = 0;
    virtual void Illuminate(RtLightHandle light, RtBoolean onoff) = 0;
    virtual void Cone(RtFloat height, RtFloat radius, RtFloat thetamax, ...);
    virtual void ConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n,
                       RtToken tokens[], RtPointer values[]) = 0;
    virtual void Cylinder(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...);
    virtual void CylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                           RtToken tokens[], RtPointer values[]) = 0;
    virtual void Disk(RtFloat height, RtFloat radius, RtFloat thetamax, ...);
    virtual void DiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n,
                       RtToken tokens[], RtPointer values[]) = 0;
    virtual void Hyperboloid(RtPoint point1, RtPoint point2, RtFloat thetamax, ...);
    virtual void HyperboloidV(RtPoint point1, RtPoint point2, RtFloat thetamax, RtInt n,
                              RtToken tokens[], RtPointer values[]) = 0;
    virtual void Paraboloid(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...);
    virtual void ParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                             RtToken tokens[], RtPointer values[]) = 0;
    virtual void Sphere(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...);
    virtual void SphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                         RtToken tokens[], RtPointer values[]) = 0;
    virtual void Torus(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                       RtFloat thetamax, ...);
    virtual void TorusV(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                        RtFloat thetamax, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Polygon(RtInt nvertices, ...);
    virtual void PolygonV(RtInt nvertices, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void GeneralPolygon(RtInt nloops, RtInt nverts[], ...);
    virtual void GeneralPolygonV(RtInt nloops, RtInt nverts[], RtInt n, RtToken tokens[],
                                 RtPointer values[]) = 0;
    virtual void PointsPolygons(RtInt npolys, RtInt nverts[], RtInt verts[], ...);
    virtual void PointsPolygonsV(RtInt npolys, RtInt nverts[], RtInt verts[], RtInt n,
                                 RtToken tokens[], RtPointer values[]) = 0;
    virtual void PointsGeneralPolygons(RtInt npolys, RtInt nloops[], RtInt nverts[],
                                       RtInt verts[], ...);
    virtual void PointsGeneralPolygonsV(RtInt npolys, RtInt nloops[], RtInt nverts[],
                                        RtInt verts[], RtInt n, RtToken tokens[],
                                        RtPointer values[]) = 0;
    virtual void Basis(RtBasis ubasis, RtInt ustep, RtBasis vbasis, RtInt vstep) = 0;
    virtual void Patch(RtToken type, ...);
    virtual void PatchV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void PatchMesh(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, ...);
    virtual void PatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap,
                            RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void TrimCurve(RtInt nloops, RtInt ncurves[], RtInt order[], RtFloat knot[],
                           RtFloat min[], RtFloat max[], RtInt n[], RtFloat u[], RtFloat v[],
                           RtFloat w[]) = 0;
    virtual void NuPatch(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax,
                         RtInt nv, RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax,
                         ...);
    virtual void NuPatchV(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax,
                          RtInt nv, RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax,
                          RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void Curves(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, ...);
    virtual void CurvesV(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, RtInt n,
                         RtToken tokens[], RtPointer values[]) = 0;
    virtual void Points(RtInt npoints, ...);
    virtual void PointsV(RtInt npoints, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void SubdivisionMesh(RtToken scheme, RtInt nfaces, RtInt nvertices[],
                                 RtInt vertices[], RtInt ntags, RtToken tags[], RtInt nargs[],
                                 RtInt intargs[], RtFloat floatargs[], ...);
    virtual void SubdivisionMeshV(RtToken scheme, RtInt nfaces, RtInt nvertices[],
                                  RtInt vertices[], RtInt ntags, RtToken tags[], RtInt nargs[],
                                  RtInt intargs[], RtFloat floatargs[], RtInt n, RtToken tokens[],
                                  RtPointer values[]) = 0;
    virtual void Blobby(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[],
                        RtInt nstr, RtToken str[], ...);
    virtual void BlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[],
                         RtInt nstr, RtToken str[], RtInt n, RtToken tokens[],
                         RtPointer values[]) = 0;
    virtual void Procedural(RtPointer data, RtBound bound, RtProcSubdivFunc subdivfunc,
                            RtProcFreeFunc freefunc) = 0;
    virtual void Geometry(RtToken type, ...);
    virtual void GeometryV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void SolidBegin(RtToken operation) = 0;
    virtual void SolidEnd() = 0;
    virtual RtObjectHandle ObjectBegin() = 0;
    virtual void ObjectEnd() = 0;
    virtual void ObjectInstance(RtObjectHandle handle) = 0;
    virtual void MakeTexture(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                             RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...);
    virtual void MakeTextureV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                              RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                              RtToken tokens[], RtPointer values[]) = 0;
    virtual void MakeLatLongEnvironment(RtToken picture, RtToken texture,
                                        RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                        ...);
    virtual void MakeLatLongEnvironmentV(RtToken picture, RtToken texture,
                                         RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                         RtInt n, RtToken tokens[], RtPointer values[]) = 0;
    virtual void MakeCubeFaceEnvironment(RtToken px, RtToken nx, RtToken py, RtToken ny,
                                         RtToken pz, RtToken nz, RtToken texture, RtFloat fov,
                                         RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                         ...);
    virtual void MakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny,
                                          RtToken pz, RtToken nz, RtToken texture, RtFloat fov,
                                          RtFilterFunc filterfunc, RtFloat swidth,
                                          RtFloat twidth, RtInt n, RtToken tokens[],
                                          RtPointer values[]) = 0;
    virtual void MakeShadow(RtToken picture, RtToken texture, ...);
    virtual void MakeShadowV(RtToken picture, RtToken texture, RtInt n, RtToken tokens[],
                             RtPointer values[]) = 0;
    virtual RtToken Declare(RtToken name, RtToken declaration) = 0;
    virtual void ArchiveRecord(RtToken type, const char* format, ...);
    virtual void ArchiveRecordV(RtToken type, const char* format, va_list args) = 0;
    virtual void ReadArchive(RtToken name, RtArchiveCallback callback, ...);
    virtual void ReadArchiveV(RtToken name, RtArchiveCallback callback, RtInt n,
                              RtToken tokens[], RtPointer values[]) = 0;
    virtual void ErrorHandler(RtErrorHandler handler) = 0;
    // Beyond the fixed order above, so that every earlier slot keeps its place.
    virtual void MakeBumpV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                           RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                           RtToken tokens[], RtPointer values[]) = 0;
};

/// The renderer every procedure forwards to; null when none is current.
/// RiBegin sets it, RiEnd deletes it and clears it, RiContext replaces it.
extern Renderer* currentRenderer;

/// Initial binary mode handed to the next RiBegin's writer; set by
/// RiOption("rib", "format" | "binary", ...).
extern int ribBinary;

/// Set by RiOption("rib", "compression", ...); nothing reads it, output is
/// never compressed.
extern int ribCompression;
