/*
 * ri.h: the RenderMan Interface procedures of the blorp RIB output library.
 *
 * Every procedure checks that a renderer is current (RiBegin makes one) and
 * hands its arguments unchanged to that renderer, which writes one RIB
 * request. Called without a current renderer, a procedure reports
 * RIE_NOTSTARTED at RIE_SEVERE through RiErrorPrint, which ends the process
 * with exit status -1.
 *
 * Linkage: every declaration here has C linkage, so C programs can include
 * this header and the procedures can be found by name with dlsym.
 *
 * Text types. A C program sees the binding's own types: RtToken and RtString
 * are char *, error handlers take a char * message, so token arrays written
 * as char *tokens[] or RtToken tokens[] and handlers written as
 * void h(RtInt, RtInt, char *) are the very types the procedures take. No
 * single choice serves C++ too: string literals are const there, so char *
 * would make every RiSurface("plastic", ...) a warning, while const char *
 * alone would refuse the char *tokens[] and char * handlers of classic
 * programs (C++ has no conversion from char ** to const char **, and C
 * reports it as an incompatible pointer type). C++ therefore sees const
 * char * in RtToken, RtString and RtErrorHandler, and below the C block a
 * few inline overloads take the char * forms and hand them on unchanged.
 * Both views name the same C symbols: a pointer to char and a pointer to
 * const char are passed alike. Parameter values stay RtPointer (void *).
 */
#ifndef BLORP_RI_H
#define BLORP_RI_H

#include <stdarg.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------ types */

typedef short RtBoolean;
typedef int RtInt;
typedef float RtFloat;
#ifdef __cplusplus
typedef const char* RtToken;
typedef const char* RtString;
#else
typedef char* RtToken;
typedef char* RtString;
#endif
typedef void* RtPointer;
typedef void RtVoid;

typedef RtFloat RtColor[3];
typedef RtFloat RtPoint[3];
typedef RtFloat RtVector[3];
typedef RtFloat RtNormal[3];
typedef RtFloat RtHpoint[4];
typedef RtFloat RtMpoint[4][4];
typedef RtFloat RtMatrix[4][4];
typedef RtFloat RtBasis[4][4];
typedef RtFloat RtBound[6];

/* Handles are opaque. Light and object handles carry the number the
 * renderer assigned; a context handle is the renderer itself. */
typedef RtPointer RtLightHandle;
typedef RtPointer RtObjectHandle;
typedef RtPointer RtContextHandle;

typedef RtFloat (*RtFilterFunc)(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
/* The message is an RtString: char * in C, const char * in C++ (see above). */
typedef RtVoid (*RtErrorHandler)(RtInt code, RtInt severity, RtString message);
typedef RtVoid (*RtProcSubdivFunc)(RtPointer data, RtFloat detail);
typedef RtVoid (*RtProcFreeFunc)(RtPointer data);
typedef RtVoid (*RtArchiveCallback)(RtToken type, RtString format, ...);
typedef RtVoid (*RtFunc)(void);

#define RI_FALSE 0
#define RI_TRUE 1
#define RI_INFINITY 1.0e38f
#define RI_EPSILON 1.0e-10f
/* Ends every token/value parameter list. */
#define RI_NULL ((RtToken)0)

/* ----------------------------------------------------- errors (reporting) */

#define RIE_NOERROR 0
#define RIE_NOMEM 1
#define RIE_SYSTEM 2
#define RIE_NOFILE 3
#define RIE_BADFILE 4
#define RIE_VERSION 5
#define RIE_DISKFULL 6
#define RIE_INCAPABLE 11
#define RIE_UNIMPLEMENT 12
#define RIE_LIMIT 13
#define RIE_BUG 14
#define RIE_NOTSTARTED 23
#define RIE_NESTING 24
#define RIE_NOTOPTIONS 25
#define RIE_NOTATTRIBS 26
#define RIE_NOTPRIMS 27
#define RIE_ILLSTATE 28
#define RIE_BADMOTION 29
#define RIE_BADSOLID 30
#define RIE_BADTOKEN 41
#define RIE_RANGE 42
#define RIE_CONSISTENCY 43
#define RIE_BADHANDLE 44
#define RIE_NOSHADER 45
#define RIE_MISSINGDATA 46
#define RIE_SYNTAX 47
#define RIE_MATH 61

#define RIE_INFO 0
#define RIE_WARNING 1
#define RIE_ERROR 2
#define RIE_SEVERE 3

/* Code of the last error the library reported, whatever the handler did
 * with it (also set by RiErrorPrint and RiErrorIgnore when called directly). */
extern RtInt RiLastError;

/* Sets RiLastError to the code; prints nothing. */
RtVoid RiErrorIgnore(RtInt code, RtInt severity, RtString message);
/* Prints the report on standard error, folding identical consecutive reports
 * into a repeat count; ends the process with status -1 at RIE_SEVERE. */
RtVoid RiErrorPrint(RtInt code, RtInt severity, RtString message);
/* RiErrorPrint, then ends the process with status -1 from RIE_ERROR up. */
RtVoid RiErrorAbort(RtInt code, RtInt severity, RtString message);

/* ------------------------------------------------------ token variables */

/* Plain char * in C++ too, so that a program can put them in a char *
 * array as well as in an RtToken one. In C this is RtToken itself. */
typedef char* RtTokenVariable;

extern RtTokenVariable RI_FRAMEBUFFER, RI_FILE;
extern RtTokenVariable RI_RGB, RI_RGBA, RI_RGBZ, RI_RGBAZ, RI_A, RI_Z, RI_AZ;
extern RtTokenVariable RI_PERSPECTIVE, RI_ORTHOGRAPHIC;
extern RtTokenVariable RI_HIDDEN, RI_PAINT;
extern RtTokenVariable RI_CONSTANT, RI_SMOOTH;
extern RtTokenVariable RI_FLATNESS, RI_FOV;
extern RtTokenVariable RI_AMBIENTLIGHT, RI_POINTLIGHT, RI_DISTANTLIGHT, RI_SPOTLIGHT;
extern RtTokenVariable RI_INTENSITY, RI_LIGHTCOLOR, RI_FROM, RI_TO, RI_CONEANGLE, RI_CONEDELTAANGLE,
    RI_BEAMDISTRIBUTION;
extern RtTokenVariable RI_MATTE, RI_METAL, RI_SHINYMETAL, RI_PLASTIC, RI_PAINTEDPLASTIC;
extern RtTokenVariable RI_KA, RI_KD, RI_KS, RI_ROUGHNESS, RI_KR, RI_TEXTURENAME, RI_SPECULARCOLOR;
extern RtTokenVariable RI_DEPTHCUE, RI_FOG, RI_BUMPY;
extern RtTokenVariable RI_MINDISTANCE, RI_MAXDISTANCE, RI_BACKGROUND, RI_DISTANCE, RI_AMPLITUDE;
extern RtTokenVariable RI_RASTER, RI_SCREEN, RI_CAMERA, RI_WORLD, RI_OBJECT;
extern RtTokenVariable RI_INSIDE, RI_OUTSIDE, RI_LH, RI_RH;
extern RtTokenVariable RI_P, RI_PZ, RI_PW, RI_N, RI_NP, RI_CS, RI_OS, RI_S, RI_T, RI_ST;
extern RtTokenVariable RI_BILINEAR, RI_BICUBIC, RI_LINEAR, RI_CUBIC;
extern RtTokenVariable RI_PRIMITIVE, RI_INTERSECTION, RI_UNION, RI_DIFFERENCE;
extern RtTokenVariable RI_PERIODIC, RI_NONPERIODIC, RI_CLAMP, RI_BLACK;
extern RtTokenVariable RI_IGNORE, RI_PRINT, RI_ABORT, RI_HANDLER;
extern RtTokenVariable RI_IDENTIFIER, RI_NAME;
extern RtTokenVariable RI_COMMENT, RI_STRUCTURE, RI_VERBATIM;
extern RtTokenVariable RI_WIDTH, RI_CONSTANTWIDTH;
extern RtTokenVariable RI_CURRENT, RI_SHADER, RI_EYE, RI_NDC;
extern RtTokenVariable RI_ORIGIN;
extern RtTokenVariable RI_HOLE, RI_CREASE, RI_CORNER, RI_INTERPOLATEBOUNDARY;

/* The library's further token variables: "merge", "__nondiffuse",
 * "__nonspecular", the filter names, the texture parameters, "__category"
 * and "_$w" (the homogeneous weight of an hpoint). */
extern RtTokenVariable RI_MERGE, RI_NONDIFFUSE, RI_NONSPECULAR;
extern RtTokenVariable RI_BOX, RI_CATMULLROM, RI_SINC, RI_GAUSSIAN, RI_TRIANGLE;
extern RtTokenVariable RI_FILTER, RI_SWIDTH, RI_TWIDTH, RI_FILL, RI_FIDELITY, RI_SAMPLES;
extern RtTokenVariable RI_BLUR, RI_SBLUR, RI_TBLUR, RI_BIAS, RI_LERP, RI_GAPBIAS, RI_SOURCE, RI_GAPOPT;
extern RtTokenVariable RI_REFBLUR, RI_SREFBLUR, RI_TREFBLUR, RI_IGNOREABOVE;
extern RtTokenVariable RI_CATEGORY, RI_HOMOGENEOUSW;

/* ---------------------------------------- bases, filters, procedurals */

/* The standard cubic bases. A renderer recognises them by address, so a
 * copy with the same values is treated as a plain matrix. */
extern RtBasis RiBezierBasis, RiBSplineBasis, RiCatmullRomBasis, RiHermiteBasis, RiPowerBasis;

#define RI_BEZIERSTEP 3
#define RI_BSPLINESTEP 1
#define RI_CATMULLROMSTEP 1
#define RI_HERMITESTEP 2
#define RI_POWERSTEP 4

RtFloat RiGaussianFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiBoxFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiTriangleFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiCatmullRomFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);
RtFloat RiSincFilter(RtFloat x, RtFloat y, RtFloat xwidth, RtFloat ywidth);

/* Name the kind of a procedural primitive; calling them does nothing. */
RtVoid RiProcDelayedReadArchive(RtPointer data, RtFloat detail);
RtVoid RiProcRunProgram(RtPointer data, RtFloat detail);
RtVoid RiProcDynamicLoad(RtPointer data, RtFloat detail);

/* ------------------------------------------------------------- context */

/* Creates the RIB writer for `name` (a file name, "rendrib", "rgl", "prman",
 * "|command", or null for standard output) and makes it current. Returns it.
 * When the file cannot be made or the command cannot be started, reports
 * RIE_NOFILE at RIE_ERROR through the handler, with the name and the
 * system's reason in the message, and returns null with no renderer
 * current; it never ends the process itself. Null also when out of memory. */
RtContextHandle RiBegin(RtToken name);
/* Deletes the current renderer, which finishes and closes its output. */
RtVoid RiEnd(void);
/* The current renderer, or null. */
RtContextHandle RiGetContext(void);
/* Makes `handle` current without any check and returns it. A handle must be
 * one RiBegin or RiGetContext returned (or null, which leaves no renderer
 * current). */
RtContextHandle RiContext(RtContextHandle handle);

/* ---------------------------------------------- frame, world, options */

RtVoid RiFrameBegin(RtInt frame);
RtVoid RiFrameEnd(void);
RtVoid RiWorldBegin(void);
RtVoid RiWorldEnd(void);
RtVoid RiFormat(RtInt xres, RtInt yres, RtFloat aspect);
RtVoid RiFrameAspectRatio(RtFloat aspect);
RtVoid RiScreenWindow(RtFloat left, RtFloat right, RtFloat bottom, RtFloat top);
RtVoid RiCropWindow(RtFloat xmin, RtFloat xmax, RtFloat ymin, RtFloat ymax);
RtVoid RiProjection(RtToken name, ...);
RtVoid RiProjectionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiClipping(RtFloat hither, RtFloat yon);
RtVoid RiDepthOfField(RtFloat fstop, RtFloat focallength, RtFloat focaldistance);
RtVoid RiShutter(RtFloat min, RtFloat max);
RtVoid RiPixelVariance(RtFloat variation);
RtVoid RiPixelSamples(RtFloat xsamples, RtFloat ysamples);
RtVoid RiPixelFilter(RtFilterFunc filterfunc, RtFloat xwidth, RtFloat ywidth);
RtVoid RiExposure(RtFloat gain, RtFloat gamma);
RtVoid RiQuantize(RtToken type, RtInt one, RtInt min, RtInt max, RtFloat amplitude);
RtVoid RiDisplay(RtToken name, RtToken type, RtToken mode, ...);
RtVoid RiDisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, RtToken tokens[],
                  RtPointer values[]);
RtVoid RiHider(RtToken type, ...);
RtVoid RiHiderV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]);
/* From here on (to the end of the frame, when given inside one) every colour
 * has n components: nRGB and RGBn hold 3n floats each, and the arrays passed
 * to RiColor, RiOpacity and color parameters n floats per colour. */
RtVoid RiColorSamples(RtInt n, RtFloat nRGB[], RtFloat RGBn[]);
RtVoid RiRelativeDetail(RtFloat relativedetail);
/* Option "rib" (or "RIB") never reaches a renderer and needs none: its
 * "format" (an RtString, "binary" or not), "binary" (an RtInt) and
 * "compression" (an RtString, "gzip" or not) set the encoding of the next
 * RiBegin's output; other tokens are ignored. As for every parameter, the
 * value points to the data:
 *     RtString format = "binary"; RiOption("rib", "format", &format, RI_NULL);
 * Output is never compressed. */
RtVoid RiOption(RtToken name, ...);
RtVoid RiOptionV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);

/* ---------------------------------------------------------- attributes */

RtVoid RiAttributeBegin(void);
RtVoid RiAttributeEnd(void);
/* A colour holds as many floats as RiColorSamples says (3 at first), so these
 * take a plain pointer: RtColor would make compilers warn about a program's
 * array of one sample. */
RtVoid RiColor(RtFloat* color);
RtVoid RiOpacity(RtFloat* color);
RtVoid RiTextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3,
                            RtFloat t3, RtFloat s4, RtFloat t4);
RtVoid RiShadingRate(RtFloat size);
RtVoid RiShadingInterpolation(RtToken type);
RtVoid RiMatte(RtBoolean onoff);
RtVoid RiBound(RtBound bound);
RtVoid RiDetail(RtBound bound);
RtVoid RiDetailRange(RtFloat minvisible, RtFloat lowertransition, RtFloat uppertransition,
                     RtFloat maxvisible);
RtVoid RiGeometricApproximation(RtToken type, RtFloat value);
RtVoid RiGeometricRepresentation(RtToken type);
RtVoid RiSides(RtInt sides);
RtVoid RiOrientation(RtToken orientation);
RtVoid RiReverseOrientation(void);
RtVoid RiAttributeV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiAttribute(RtToken name, ...);

/* ---------------------------------------------------------- transforms */

RtVoid RiIdentity(void);
RtVoid RiConcatTransform(RtMatrix transform);
RtVoid RiTransform(RtMatrix transform);
RtVoid RiPerspective(RtFloat fov);
RtVoid RiTranslate(RtFloat dx, RtFloat dy, RtFloat dz);
RtVoid RiRotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz);
RtVoid RiScale(RtFloat sx, RtFloat sy, RtFloat sz);
RtVoid RiSkew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2, RtFloat dy2,
              RtFloat dz2);
RtVoid RiCoordinateSystem(RtToken space);
RtVoid RiCoordSysTransform(RtToken space);
RtPoint* RiTransformPoints(RtToken fromspace, RtToken tospace, RtInt n, RtPoint points[]);
RtVoid RiTransformBegin(void);
RtVoid RiTransformEnd(void);
/* Takes n times as further float arguments. At most 100 are kept: with more,
 * the first 100 are passed on and RIE_LIMIT is reported at RIE_ERROR. */
RtVoid RiMotionBegin(RtInt n, ...);
RtVoid RiMotionBeginV(RtInt n, RtFloat times[]);
RtVoid RiMotionEnd(void);

/* ---------------------------------------------------- shaders, lights */

RtVoid RiSurface(RtToken name, ...);
RtVoid RiSurfaceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiDisplacement(RtToken name, ...);
RtVoid RiDisplacementV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiAtmosphere(RtToken name, ...);
RtVoid RiAtmosphereV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiInterior(RtToken name, ...);
RtVoid RiInteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiExterior(RtToken name, ...);
RtVoid RiExteriorV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiImager(RtToken name, ...);
RtVoid RiImagerV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtLightHandle RiLightSource(RtToken name, ...);
RtLightHandle RiLightSourceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtLightHandle RiAreaLightSource(RtToken name, ...);
RtLightHandle RiAreaLightSourceV(RtToken name, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiIlluminate(RtLightHandle light, RtBoolean onoff);

/* ---------------------------------------------------------- primitives */

RtVoid RiCone(RtFloat height, RtFloat radius, RtFloat thetamax, ...);
RtVoid RiConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, RtToken tokens[],
               RtPointer values[]);
RtVoid RiCylinder(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...);
RtVoid RiCylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                   RtToken tokens[], RtPointer values[]);
RtVoid RiDisk(RtFloat height, RtFloat radius, RtFloat thetamax, ...);
RtVoid RiDiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, RtToken tokens[],
               RtPointer values[]);
RtVoid RiHyperboloid(RtPoint point1, RtPoint point2, RtFloat thetamax, ...);
RtVoid RiHyperboloidV(RtPoint point1, RtPoint point2, RtFloat thetamax, RtInt n,
                      RtToken tokens[], RtPointer values[]);
RtVoid RiParaboloid(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...);
RtVoid RiParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                     RtToken tokens[], RtPointer values[]);
RtVoid RiSphere(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, ...);
RtVoid RiSphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                 RtToken tokens[], RtPointer values[]);
RtVoid RiTorus(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
               RtFloat thetamax, ...);
RtVoid RiTorusV(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                RtFloat thetamax, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiPolygon(RtInt nvertices, ...);
RtVoid RiPolygonV(RtInt nvertices, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiGeneralPolygon(RtInt nloops, RtInt nverts[], ...);
RtVoid RiGeneralPolygonV(RtInt nloops, RtInt nverts[], RtInt n, RtToken tokens[],
                         RtPointer values[]);
RtVoid RiPointsPolygons(RtInt npolys, RtInt nverts[], RtInt verts[], ...);
RtVoid RiPointsPolygonsV(RtInt npolys, RtInt nverts[], RtInt verts[], RtInt n, RtToken tokens[],
                         RtPointer values[]);
RtVoid RiPointsGeneralPolygons(RtInt npolys, RtInt nloops[], RtInt nverts[], RtInt verts[], ...);
RtVoid RiPointsGeneralPolygonsV(RtInt npolys, RtInt nloops[], RtInt nverts[], RtInt verts[],
                                RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiBasis(RtBasis ubasis, RtInt ustep, RtBasis vbasis, RtInt vstep);
RtVoid RiPatch(RtToken type, ...);
RtVoid RiPatchV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiPatchMesh(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, ...);
RtVoid RiPatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, RtInt n,
                    RtToken tokens[], RtPointer values[]);
RtVoid RiTrimCurve(RtInt nloops, RtInt ncurves[], RtInt order[], RtFloat knot[], RtFloat min[],
                   RtFloat max[], RtInt n[], RtFloat u[], RtFloat v[], RtFloat w[]);
RtVoid RiNuPatch(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax, RtInt nv,
                 RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax, ...);
RtVoid RiNuPatchV(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax, RtInt nv,
                  RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax, RtInt n,
                  RtToken tokens[], RtPointer values[]);
RtVoid RiCurves(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, ...);
RtVoid RiCurvesV(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, RtInt n,
                 RtToken tokens[], RtPointer values[]);
RtVoid RiPoints(RtInt npoints, ...);
RtVoid RiPointsV(RtInt npoints, RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiSubdivisionMesh(RtToken scheme, RtInt nfaces, RtInt nvertices[], RtInt vertices[],
                         RtInt ntags, RtToken tags[], RtInt nargs[], RtInt intargs[],
                         RtFloat floatargs[], ...);
RtVoid RiSubdivisionMeshV(RtToken scheme, RtInt nfaces, RtInt nvertices[], RtInt vertices[],
                          RtInt ntags, RtToken tags[], RtInt nargs[], RtInt intargs[],
                          RtFloat floatargs[], RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiBlobby(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[], RtInt nstr,
                RtToken str[], ...);
RtVoid RiBlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[], RtInt nstr,
                 RtToken str[], RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiProcedural(RtPointer data, RtBound bound, RtProcSubdivFunc subdivfunc,
                    RtProcFreeFunc freefunc);
RtVoid RiGeometry(RtToken type, ...);
RtVoid RiGeometryV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[]);

/* ---------------------------------------------------- texture making */

/* Each writes the request that has a renderer turn `picture` (an image file)
 * into a texture file. The filter must be one of the five standard filters,
 * which RIB names; another function is reported and the request left out. */
RtVoid RiMakeTexture(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                     RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...);
RtVoid RiMakeTextureV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                      RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                      RtToken tokens[], RtPointer values[]);
RtVoid RiMakeBump(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                  RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...);
RtVoid RiMakeBumpV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                   RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                   RtToken tokens[], RtPointer values[]);
RtVoid RiMakeLatLongEnvironment(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                RtFloat swidth, RtFloat twidth, ...);
RtVoid RiMakeLatLongEnvironmentV(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                 RtFloat swidth, RtFloat twidth, RtInt n, RtToken tokens[],
                                 RtPointer values[]);
RtVoid RiMakeCubeFaceEnvironment(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                 RtToken nz, RtToken texture, RtFloat fov,
                                 RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, ...);
RtVoid RiMakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                  RtToken nz, RtToken texture, RtFloat fov,
                                  RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                  RtInt n, RtToken tokens[], RtPointer values[]);
RtVoid RiMakeShadow(RtToken picture, RtToken texture, ...);
RtVoid RiMakeShadowV(RtToken picture, RtToken texture, RtInt n, RtToken tokens[],
                     RtPointer values[]);

/* ------------------------------------------------- solids and objects */

RtVoid RiSolidBegin(RtToken operation);
RtVoid RiSolidEnd(void);
RtObjectHandle RiObjectBegin(void);
RtVoid RiObjectEnd(void);
RtVoid RiObjectInstance(RtObjectHandle handle);

/* ------------------------------------------ declarations and archives */

/* Declares a parameter's class, type and array length ("uniform float",
 * "varying color", "float[2]"); returns the interned name. */
RtToken RiDeclare(RtToken name, RtToken declaration);
/* Writes a "comment", "structure" or "verbatim" record; `format` and the
 * arguments are expanded as by printf. */
RtVoid RiArchiveRecord(RtToken type, const char* format, ...);
RtVoid RiVArchiveRecord(RtToken type, const char* format, va_list args);
RtVoid RiReadArchive(RtToken name, RtArchiveCallback callback, ...);
RtVoid RiReadArchiveV(RtToken name, RtArchiveCallback callback, RtInt n, RtToken tokens[],
                      RtPointer values[]);
/* Installs the handler through which the library reports every error from
 * now on (null puts RiErrorPrint back), with or without a current renderer;
 * with one, a standard handler is also named in the output. A handler that
 * returns lets the procedure that failed return without doing anything. */
RtVoid RiErrorHandler(RtErrorHandler handler);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
/* C++ only: the char * forms of classic programs (see "Text types" above).
 * Each hands its arguments on unchanged to the procedure of the same name.
 * They are templates so that a null argument, an RtToken array or a const
 * char * handler still picks the procedure itself: only a char * form needs
 * them. */
template <int = 0>
inline RtVoid RiErrorHandler(RtVoid (*handler)(RtInt code, RtInt severity, char* message))
{
    RiErrorHandler(reinterpret_cast<RtErrorHandler>(handler));
}
template <int = 0>
inline RtVoid RiProjectionV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiProjectionV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiDisplayV(RtToken name, RtToken type, RtToken mode, RtInt n, char* tokens[],
                         RtPointer values[])
{
    RiDisplayV(name, type, mode, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiHiderV(RtToken type, RtInt n, char* tokens[], RtPointer values[])
{
    RiHiderV(type, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiOptionV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiOptionV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiAttributeV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiAttributeV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiSurfaceV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiSurfaceV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiDisplacementV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiDisplacementV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiAtmosphereV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiAtmosphereV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiInteriorV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiInteriorV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiExteriorV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiExteriorV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiImagerV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    RiImagerV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtLightHandle RiLightSourceV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    return RiLightSourceV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtLightHandle RiAreaLightSourceV(RtToken name, RtInt n, char* tokens[], RtPointer values[])
{
    return RiAreaLightSourceV(name, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, char* tokens[],
                      RtPointer values[])
{
    RiConeV(height, radius, thetamax, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiCylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                          char* tokens[], RtPointer values[])
{
    RiCylinderV(radius, zmin, zmax, thetamax, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiDiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, char* tokens[],
                      RtPointer values[])
{
    RiDiskV(height, radius, thetamax, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiHyperboloidV(RtPoint point1, RtPoint point2, RtFloat thetamax, RtInt n,
                             char* tokens[], RtPointer values[])
{
    RiHyperboloidV(point1, point2, thetamax, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                            char* tokens[], RtPointer values[])
{
    RiParaboloidV(rmax, zmin, zmax, thetamax, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiSphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                        char* tokens[], RtPointer values[])
{
    RiSphereV(radius, zmin, zmax, thetamax, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiTorusV(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                       RtFloat thetamax, RtInt n, char* tokens[], RtPointer values[])
{
    RiTorusV(majorradius, minorradius, phimin, phimax, thetamax, n, const_cast<RtToken*>(tokens),
             values);
}
template <int = 0>
inline RtVoid RiPolygonV(RtInt nvertices, RtInt n, char* tokens[], RtPointer values[])
{
    RiPolygonV(nvertices, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiGeneralPolygonV(RtInt nloops, RtInt nverts[], RtInt n, char* tokens[],
                                RtPointer values[])
{
    RiGeneralPolygonV(nloops, nverts, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiPointsPolygonsV(RtInt npolys, RtInt nverts[], RtInt verts[], RtInt n,
                                char* tokens[], RtPointer values[])
{
    RiPointsPolygonsV(npolys, nverts, verts, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiPointsGeneralPolygonsV(RtInt npolys, RtInt nloops[], RtInt nverts[], RtInt verts[],
                                       RtInt n, char* tokens[], RtPointer values[])
{
    RiPointsGeneralPolygonsV(npolys, nloops, nverts, verts, n, const_cast<RtToken*>(tokens),
                             values);
}
template <int = 0>
inline RtVoid RiPatchV(RtToken type, RtInt n, char* tokens[], RtPointer values[])
{
    RiPatchV(type, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiPatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap, RtInt n,
                           char* tokens[], RtPointer values[])
{
    RiPatchMeshV(type, nu, uwrap, nv, vwrap, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiNuPatchV(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax,
                         RtInt nv, RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax,
                         RtInt n, char* tokens[], RtPointer values[])
{
    RiNuPatchV(nu, uorder, uknot, umin, umax, nv, vorder, vknot, vmin, vmax, n,
               const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiCurvesV(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, RtInt n,
                        char* tokens[], RtPointer values[])
{
    RiCurvesV(type, ncurves, nvertices, wrap, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiPointsV(RtInt npoints, RtInt n, char* tokens[], RtPointer values[])
{
    RiPointsV(npoints, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiSubdivisionMeshV(RtToken scheme, RtInt nfaces, RtInt nvertices[], RtInt vertices[],
                                 RtInt ntags, RtToken tags[], RtInt nargs[], RtInt intargs[],
                                 RtFloat floatargs[], RtInt n, char* tokens[], RtPointer values[])
{
    RiSubdivisionMeshV(scheme, nfaces, nvertices, vertices, ntags, tags, nargs, intargs, floatargs,
                       n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiBlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[],
                        RtInt nstr, RtToken str[], RtInt n, char* tokens[], RtPointer values[])
{
    RiBlobbyV(nleaf, ncode, code, nflt, flt, nstr, str, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiGeometryV(RtToken type, RtInt n, char* tokens[], RtPointer values[])
{
    RiGeometryV(type, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiMakeTextureV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                             RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                             char* tokens[], RtPointer values[])
{
    RiMakeTextureV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n,
                   const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiMakeBumpV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                          RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt n,
                          char* tokens[], RtPointer values[])
{
    RiMakeBumpV(picture, texture, swrap, twrap, filterfunc, swidth, twidth, n,
                const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiMakeLatLongEnvironmentV(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                        RtFloat swidth, RtFloat twidth, RtInt n, char* tokens[],
                                        RtPointer values[])
{
    RiMakeLatLongEnvironmentV(picture, texture, filterfunc, swidth, twidth, n,
                              const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiMakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny, RtToken pz,
                                         RtToken nz, RtToken texture, RtFloat fov,
                                         RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                         RtInt n, char* tokens[], RtPointer values[])
{
    RiMakeCubeFaceEnvironmentV(px, nx, py, ny, pz, nz, texture, fov, filterfunc, swidth, twidth, n,
                               const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiMakeShadowV(RtToken picture, RtToken texture, RtInt n, char* tokens[],
                            RtPointer values[])
{
    RiMakeShadowV(picture, texture, n, const_cast<RtToken*>(tokens), values);
}
template <int = 0>
inline RtVoid RiReadArchiveV(RtToken name, RtArchiveCallback callback, RtInt n, char* tokens[],
                             RtPointer values[])
{
    RiReadArchiveV(name, callback, n, const_cast<RtToken*>(tokens), values);
}
#endif /* __cplusplus */

#endif /* BLORP_RI_H */
