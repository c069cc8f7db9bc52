#pragma once

// The RIB writer: the renderer that turns every RenderMan operation into one
// request of RenderMan Interface Bytestream text, written to a file, to a
// pipe into a renderer or any command, or to standard output.

#include <cstdarg>
#include <cstdint>
#include <initializer_list>

#include <ri.h>
#include "ribout/RibStream.h"
#include "ribout/Renderer.h"

/// Non-zero: Declare requests are written to the output. Process-wide; the
/// writer switches it off while it installs its default declarations.
extern int echoDeclarations;

class RibWriter : public Renderer {
public:
    /// Opens the output for `name` and writes the header. name null: standard
    /// output; "rendrib", "rgl", "prman": a pipe to that renderer; "|command":
    /// a pipe to the command; anything else: a file, created or truncated.
    /// Options, as token/value pairs, each value a pointer to its data:
    /// "format" (pointer to an RtString; "binary" selects the binary float
    /// encoding), "binary" (pointer to an int), "compression" (pointer to an
    /// RtString) and "gzip" (pointer to an int), the last two recorded only.
    /// When the output cannot be opened, RIE_NOFILE is reported at RIE_ERROR
    /// with the name and the system's reason, and isOpen() is false: nothing
    /// is written and the writer only waits to be deleted.
    RibWriter(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
    /// The same with the options as (token, value) arguments ended by RI_NULL.
    explicit RibWriter(RtToken name, ...);
    /// Writes the final newline and closes the output (waiting for a pipe's
    /// command); standard output stays open. A write or close that failed is
    /// reported as RIE_SYSTEM at RIE_ERROR, naming the output.
    ~RibWriter() override;

    /// False when the output could not be opened.
    bool isOpen() const { return stream.isOpen(); }

    // Value writers shared by all requests. The float ones follow binaryMode.

    /// "%g " in text mode; 0xA4 and the big-endian value in binary mode.
    void writeFloat(RtFloat value);
    /// "[v v v]" in text mode ("[]" when n <= 0); in binary mode a length
    /// header (0xC8 to 0xCB) and n big-endian values, without brackets.
    /// Counts are 64-bit because primitives derive them from products of
    /// the caller's counts (nu * nv), which can pass the range of an int.
    void writeFloatArray(const RtFloat* values, std::int64_t n);
    /// "[" then each value followed by a space, then "]"; always text.
    void writeIntArray(const RtInt* values, std::int64_t n);
    /// "[" then each string quoted and followed by a space, then "]".
    void writeStringArray(const RtToken* strings, std::int64_t n);

    // Text pieces for the request formatters and the parameter-list writers.

    void writeText(const char* text, std::size_t length) { stream.put(text, length); }
    void writeText(const char* text);
    /// The text between double quotes; a null text is written as "".
    void writeQuoted(const char* text);
    void writeInt(long value);
    /// A float as "%g" text in either mode, for requests that format their
    /// numbers themselves.
    void writeFloatText(RtFloat value);
    /// A float as "%f" text.
    void writeFixedText(RtFloat value);
    /// Writes the request's "\n" and lets the stream pass it on.
    void endRequest();

    // The RenderMan operations, in slot order.
    void FrameBegin(RtInt frame) override;
    void FrameEnd() override;
    void WorldBegin() override;
    void WorldEnd() override;
    void Format(RtInt xres, RtInt yres, RtFloat aspect) override;
    void FrameAspectRatio(RtFloat aspect) override;
    void ScreenWindow(RtFloat left, RtFloat right, RtFloat bottom, RtFloat top) override;
    void CropWindow(RtFloat xmin, RtFloat xmax, RtFloat ymin, RtFloat ymax) override;
    void ProjectionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void Clipping(RtFloat hither, RtFloat yon) override;
    void DepthOfField(RtFloat fstop, RtFloat focallength, RtFloat focaldistance) override;
    void Shutter(RtFloat min, RtFloat max) override;
    void PixelVariance(RtFloat variation) override;
    void PixelSamples(RtFloat xsamples, RtFloat ysamples) override;
    void PixelFilter(RtFilterFunc filterfunc, RtFloat xwidth, RtFloat ywidth) override;
    void Exposure(RtFloat gain, RtFloat gamma) override;
    void Quantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat amplitude) override;
    void DisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, RtToken tokens[],
                  RtPointer values[]) override;
    void HiderV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void ColorSamples(RtInt n, RtFloat nRGB[], RtFloat RGBn[]) override;
    void RelativeDetail(RtFloat relativedetail) override;
    void OptionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void AttributeBegin() override;
    void AttributeEnd() override;
    void Color(RtColor color) override;
    void Opacity(RtColor color) override;
    void TextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3,
                            RtFloat t3, RtFloat s4, RtFloat t4) override;
    void ShadingRate(RtFloat size) override;
    void ShadingInterpolation(RtToken type) override;
    void Matte(RtBoolean onoff) override;
    void Bound(RtBound bound) override;
    void Detail(RtBound bound) override;
    void DetailRange(RtFloat minvisible, RtFloat lowertransition, RtFloat uppertransition,
                     RtFloat maxvisible) override;
    void GeometricApproximation(RtToken type, RtFloat value) override;
    void GeometricRepresentation(RtToken type) override;
    void Sides(RtInt sides) override;
    void Orientation(RtToken orientation) override;
    void ReverseOrientation() override;
    void AttributeV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void Identity() override;
    void ConcatTransform(RtMatrix transform) override;
    void Transform(RtMatrix transform) override;
    void Perspective(RtFloat fov) override;
    void Translate(RtFloat dx, RtFloat dy, RtFloat dz) override;
    void Rotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz) override;
    void Scale(RtFloat sx, RtFloat sy, RtFloat sz) override;
    void Skew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2,
              RtFloat dy2, RtFloat dz2) override;
    void CoordinateSystem(RtToken space) override;
    void CoordSysTransform(RtToken space) override;
    RtPoint* TransformPoints(RtToken fromspace, RtToken tospace, RtInt n,
                             RtPoint points[]) override;
    void TransformBegin() override;
    void TransformEnd() override;
    void MotionBeginV(RtInt n, RtFloat times[]) override;
    void MotionEnd() override;
    void SurfaceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void DisplacementV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void AtmosphereV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void InteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void ExteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void ImagerV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]) override;
    RtLightHandle LightSourceV(RtToken name, RtInt n, RtToken tokens[],
                               RtPointer values[]) override;
    RtLightHandle AreaLightSourceV(RtToken name, RtInt n, RtToken tokens[],
                                   RtPointer values[]) override;
    void Illuminate(RtLightHandle light, RtBoolean onoff) override;
    void ConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n,
               RtToken tokens[], RtPointer values[]) override;
    void CylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                   RtToken tokens[], RtPointer values[]) override;
    void DiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n,
               RtToken tokens[], RtPointer values[]) override;
    void HyperboloidV(RtPoint point1, RtPoint point2, RtFloat thetamax, RtInt n,
                      RtToken tokens[], RtPointer values[]) override;
    void ParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                     RtToken tokens[], RtPointer values[]) override;
    void SphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                 RtToken tokens[], RtPointer values[]) override;
    void TorusV(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                RtFloat thetamax, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void PolygonV(RtInt nvertices, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void GeneralPolygonV(RtInt nloops, RtInt nverts[], RtInt n, RtToken tokens[],
                         RtPointer values[]) override;
    void PointsPolygonsV(RtInt npolys, RtInt nverts[], RtInt verts[], RtInt n,
                         RtToken tokens[], RtPointer values[]) override;
    void PointsGeneralPolygonsV(RtInt npolys, RtInt nloops[], RtInt nverts[],
                                RtInt verts[], RtInt n, RtToken tokens[],
                                RtPointer values[]) override;
    void Basis(RtBasis ubasis, RtInt ustep, RtBasis vbasis, RtInt vstep) override;
    void PatchV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void PatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap,
                    RtInt n, RtToken tokens[], RtPointer values[]) override;
    void TrimCurve(RtInt nloops, RtInt ncurves[], RtInt order[], RtFloat knot[],
                   RtFloat min[], RtFloat max[], RtInt n[], RtFloat u[], RtFloat v[],
                   RtFloat w[]) override;
    void NuPatchV(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax,
                  RtInt nv, RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax,
                  RtInt n, RtToken tokens[], RtPointer values[]) override;
    void CurvesV(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, RtInt n,
                 RtToken tokens[], RtPointer values[]) override;
    void PointsV(RtInt npoints, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void SubdivisionMeshV(RtToken scheme, RtInt nfaces, RtInt nvertices[],
                          RtInt vertices[], RtInt ntags, RtToken tags[], RtInt nargs[],
                          RtInt intargs[], RtFloat floatargs[], RtInt n, RtToken tokens[],
                          RtPointer values[]) override;
    void BlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[],
                 RtInt nstr, RtToken str[], RtInt n, RtToken tokens[],
                 RtPointer values[]) override;
    void Procedural(RtPointer data, RtBound bound, RtProcSubdivFunc subdivfunc,
                    RtProcFreeFunc freefunc) override;
    void GeometryV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]) override;
    void SolidBegin(RtToken operation) override;
    void SolidEnd() override;
    RtObjectHandle ObjectBegin() override;
    void ObjectEnd() override;
    void ObjectInstance(RtObjectHandle handle) override;
    void MakeTextureV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                      RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                      RtToken tokens[], RtPointer values[]) override;
    void MakeLatLongEnvironmentV(RtToken picture, RtToken texture,
                                 RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                 RtInt n, RtToken tokens[], RtPointer values[]) override;
    void MakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny,
                                  RtToken pz, RtToken nz, RtToken texture, RtFloat fov,
                                  RtFilterFunc filterfunc, RtFloat swidth,
                                  RtFloat twidth, RtInt n, RtToken tokens[],
                                  RtPointer values[]) override;
    void MakeShadowV(RtToken picture, RtToken texture, RtInt n, RtToken tokens[],
                     RtPointer values[]) override;
    void MakeBumpV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                   RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                   RtToken tokens[], RtPointer values[]) override;
    RtToken Declare(RtToken name, RtToken declaration) override;
    void ArchiveRecordV(RtToken type, const char* format, va_list args) override;
    void ReadArchiveV(RtToken name, RtArchiveCallback callback, RtInt n,
                      RtToken tokens[], RtPointer values[]) override;
    void ErrorHandler(RtErrorHandler handler) override;

    RtErrorHandler errorReporter = RiErrorPrint;  ///< kept, never called by the writer
    ribout::RibStream stream;
    RtToken name = nullptr;  ///< interned output name; for "|command" the command
    int isPipe = 0;
    int uStep = 3;  ///< steps of the last Basis, used to count patches and curve segments
    int vStep = 3;
    int binaryMode = 0;
    int compressionMode = 0;  ///< recorded from the options; output is never compressed
    int lightCounter = 1;     ///< next light handle
    int objectCounter = 1;    ///< next object handle
    /// Components of every colour (ColorSamples); 3 until a program sets it.
    int colorSamples = 3;
    int colorSamplesBeforeFrame = 3;  ///< put back by FrameEnd

private:
    void open(RtToken outputName, RtInt n, RtToken tokens[], RtPointer values[]);
    /// Reports RIE_NOFILE: `what`, the output's name, ": " and the system's
    /// reason for `error`.
    void reportUnopened(const char* what, const char* outputName, int error);
    void writeParameterRequest(const char* keyword, RtToken name, int handle, RtInt n,
                               RtToken tokens[], RtPointer values[]);
    /// The RIB name of a standard filter; for any other function reports
    /// that `request` cannot be written and returns null.
    const char* namedFilter(const char* request, RtFilterFunc filter);
    /// request, the quoted files, fov when given, the quoted filter name and
    /// the widths; left out when the filter has no RIB name.
    void writeTextureRequest(const char* request, std::initializer_list<RtToken> files,
                             const RtFloat* fov, RtFilterFunc filterfunc, RtFloat swidth,
                             RtFloat twidth);
    /// A standard basis by its quoted name, any other matrix as 16 floats.
    void writeBasis(RtBasis basis);
    /// keyword, then " %g" for each number; the parameter list follows.
    void writeHeader(const char* keyword, std::initializer_list<RtFloat> numbers);
    /// keyword, then " %g" for each number, then the newline.
    void writeFloats(const char* keyword, std::initializer_list<RtFloat> numbers);
};
