// Geometric primitives, bases, solids and objects of the RIB writer.
//
// Each primitive's parameter list needs the number of elements behind a
// vertex, varying and uniform parameter; the functions here derive those
// counts from the request's own arguments.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "ribout/Declarations.h"
#include "ribout/ErrorReporting.h"
#include "ribout/RibWriter.h"

namespace {

bool isNamed(RtToken text, const char* expected)
{
    return text != nullptr && std::strcmp(text, expected) == 0;
}

// Counts derived from the caller's counts are 64-bit: a sum of RtInts, or a
// product of two, can pass the range of an int.
std::int64_t sum(const RtInt* values, std::int64_t n)
{
    std::int64_t total = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        total += values[i];
    }
    return total;
}

// Largest vertex index + 1: the number of vertices a polygon mesh refers to.
std::int64_t vertexCount(const RtInt* indices, std::int64_t n)
{
    std::int64_t largest = -1;
    for (std::int64_t i = 0; i < n; ++i) {
        if (indices[i] > largest) {
            largest = indices[i];
        }
    }
    return largest + 1;
}

// A basis step below 1 cannot advance along a patch mesh or curve; counting
// with it would divide by zero, so it counts as a step of 1.
int usableStep(int step)
{
    return step > 0 ? step : 1;
}

}  // namespace

void RibWriter::writeHeader(const char* keyword, std::initializer_list<RtFloat> numbers)
{
    writeText(keyword);
    for (RtFloat number : numbers) {
        writeText(" ", 1);
        writeFloatText(number);
    }
}

// ----------------------------------------------------------- quadrics

void RibWriter::ConeV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, RtToken tokens[],
                      RtPointer values[])
{
    writeHeader("Cone", {height, radius, thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

void RibWriter::CylinderV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                          RtToken tokens[], RtPointer values[])
{
    writeHeader("Cylinder", {radius, zmin, zmax, thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

void RibWriter::DiskV(RtFloat height, RtFloat radius, RtFloat thetamax, RtInt n, RtToken tokens[],
                      RtPointer values[])
{
    writeHeader("Disk", {height, radius, thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

void RibWriter::HyperboloidV(RtPoint point1, RtPoint point2, RtFloat thetamax, RtInt n,
                             RtToken tokens[], RtPointer values[])
{
    writeHeader("Hyperboloid",
                {point1[0], point1[1], point1[2], point2[0], point2[1], point2[2], thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

void RibWriter::ParaboloidV(RtFloat rmax, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                            RtToken tokens[], RtPointer values[])
{
    writeHeader("Paraboloid", {rmax, zmin, zmax, thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

void RibWriter::SphereV(RtFloat radius, RtFloat zmin, RtFloat zmax, RtFloat thetamax, RtInt n,
                        RtToken tokens[], RtPointer values[])
{
    writeHeader("Sphere", {radius, zmin, zmax, thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

void RibWriter::TorusV(RtFloat majorradius, RtFloat minorradius, RtFloat phimin, RtFloat phimax,
                       RtFloat thetamax, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeHeader("Torus", {majorradius, minorradius, phimin, phimax, thetamax});
    writePrimitiveParameterList(*this, 4, 4, 1, n, tokens, values);
}

// ----------------------------------------------------------- polygons

void RibWriter::PolygonV(RtInt nvertices, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeText("Polygon");
    writePrimitiveParameterList(*this, nvertices, nvertices, 1, n, tokens, values);
}

void RibWriter::GeneralPolygonV(RtInt nloops, RtInt nverts[], RtInt n, RtToken tokens[],
                                RtPointer values[])
{
    writeText("GeneralPolygon");
    writeIntArray(nverts, nloops);
    writeText(" ", 1);
    const std::int64_t vertices = sum(nverts, nloops);
    writePrimitiveParameterList(*this, vertices, vertices, 1, n, tokens, values);
}

void RibWriter::PointsPolygonsV(RtInt npolys, RtInt nverts[], RtInt verts[], RtInt n,
                                RtToken tokens[], RtPointer values[])
{
    writeText("PointsPolygons");
    writeIntArray(nverts, npolys);
    writeText(" ", 1);
    const std::int64_t indices = sum(nverts, npolys);
    writeIntArray(verts, indices);
    writeText(" ", 1);
    const std::int64_t vertices = vertexCount(verts, indices);
    writePrimitiveParameterList(*this, vertices, vertices, npolys, n, tokens, values, indices);
}

void RibWriter::PointsGeneralPolygonsV(RtInt npolys, RtInt nloops[], RtInt nverts[],
                                       RtInt verts[], RtInt n, RtToken tokens[],
                                       RtPointer values[])
{
    writeText("PointsGeneralPolygons");
    writeIntArray(nloops, npolys);
    writeText(" ", 1);
    const std::int64_t loops = sum(nloops, npolys);
    writeIntArray(nverts, loops);
    writeText(" ", 1);
    const std::int64_t indices = sum(nverts, loops);
    writeIntArray(verts, indices);
    writeText(" ", 1);
    const std::int64_t vertices = vertexCount(verts, indices);
    writePrimitiveParameterList(*this, vertices, vertices, npolys, n, tokens, values, indices);
}

// ------------------------------------------------------------ patches

void RibWriter::Basis(RtBasis ubasis, RtInt ustep, RtBasis vbasis, RtInt vstep)
{
    writeText("Basis ");
    writeBasis(ubasis);
    writeText(" ", 1);
    writeInt(ustep);
    writeText(" ", 1);
    writeBasis(vbasis);
    writeText(" ", 1);
    writeInt(vstep);
    endRequest();
    uStep = ustep;
    vStep = vstep;
}

void RibWriter::writeBasis(RtBasis basis)
{
    // The standard bases are known by address: a copy with the same numbers
    // is the caller's own matrix and is written out in full.
    const char* basisName = nullptr;
    if (basis == RiBezierBasis) {
        basisName = "bezier";
    } else if (basis == RiBSplineBasis) {
        basisName = "b-spline";
    } else if (basis == RiCatmullRomBasis) {
        basisName = "catmull-rom";
    } else if (basis == RiHermiteBasis) {
        basisName = "hermite";
    } else if (basis == RiPowerBasis) {
        basisName = "power";
    }
    if (basisName != nullptr) {
        writeQuoted(basisName);
    } else {
        writeFloatArray(&basis[0][0], 16);
    }
}

void RibWriter::PatchV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeText("Patch ");
    writeQuoted(type);
    const int vertices = isNamed(type, "bilinear") ? 4 : 16;
    writePrimitiveParameterList(*this, vertices, 4, 1, n, tokens, values);
}

void RibWriter::PatchMeshV(RtToken type, RtInt nu, RtToken uwrap, RtInt nv, RtToken vwrap,
                           RtInt n, RtToken tokens[], RtPointer values[])
{
    const bool isBilinear = isNamed(type, "bilinear");
    if (!isBilinear && !isNamed(type, "bicubic")) {
        // Without a known type the patch counts are unknown, and so is how
        // many values each parameter has: the request is left out whole.
        reportDiagnostic(RIE_BADTOKEN, RIE_ERROR, "ribout: unknown patch type %s", type ? type : "");
        return;
    }
    writeText("PatchMesh ");
    writeQuoted(type);
    writeText(" ", 1);
    writeInt(nu);
    writeText(" ", 1);
    writeQuoted(uwrap);
    writeText(" ", 1);
    writeInt(nv);
    writeText(" ", 1);
    writeQuoted(vwrap);

    const bool uPeriodic = isNamed(uwrap, "periodic");
    const bool vPeriodic = isNamed(vwrap, "periodic");
    const std::int64_t uCount = nu;
    const std::int64_t vCount = nv;
    std::int64_t uPatches;
    std::int64_t vPatches;
    if (isBilinear) {
        uPatches = uPeriodic ? uCount : uCount - 1;
        vPatches = vPeriodic ? vCount : vCount - 1;
    } else {
        const int us = usableStep(uStep);
        const int vs = usableStep(vStep);
        uPatches = uPeriodic ? uCount / us : (uCount - 4) / us + 1;
        vPatches = vPeriodic ? vCount / vs : (vCount - 4) / vs + 1;
    }
    const std::int64_t uVarying = uPeriodic ? uPatches : uPatches + 1;
    const std::int64_t vVarying = vPeriodic ? vPatches : vPatches + 1;
    writePrimitiveParameterList(*this, uCount * vCount, uVarying * vVarying, uPatches * vPatches,
                                n, tokens, values);
}

void RibWriter::TrimCurve(RtInt nloops, RtInt ncurves[], RtInt order[], RtFloat knot[],
                          RtFloat min[], RtFloat max[], RtInt n[], RtFloat u[], RtFloat v[],
                          RtFloat w[])
{
    const std::int64_t curves = sum(ncurves, nloops);
    std::int64_t knots = 0;
    for (std::int64_t i = 0; i < curves; ++i) {
        knots += static_cast<std::int64_t>(order[i]) + n[i];
    }
    const std::int64_t points = sum(n, curves);
    writeText("TrimCurve ");
    writeIntArray(ncurves, nloops);
    writeIntArray(order, curves);
    writeFloatArray(knot, knots);
    writeText(" ", 1);
    writeFloatArray(min, curves);
    writeText(" ", 1);
    writeFloatArray(max, curves);
    writeText(" ", 1);
    writeIntArray(n, curves);
    writeFloatArray(u, points);
    writeText(" ", 1);
    writeFloatArray(v, points);
    writeText(" ", 1);
    writeFloatArray(w, points);
    endRequest();
}

void RibWriter::NuPatchV(RtInt nu, RtInt uorder, RtFloat uknot[], RtFloat umin, RtFloat umax,
                         RtInt nv, RtInt vorder, RtFloat vknot[], RtFloat vmin, RtFloat vmax,
                         RtInt n, RtToken tokens[], RtPointer values[])
{
    writeText("NuPatch ");
    writeInt(nu);
    writeText(" ", 1);
    writeInt(uorder);
    writeText(" ", 1);
    writeFloatArray(uknot, static_cast<std::int64_t>(nu) + uorder);
    writeText(" ", 1);
    writeFixedText(umin);
    writeText(" ", 1);
    writeFixedText(umax);
    writeText(" ", 1);
    writeInt(nv);
    writeText(" ", 1);
    writeInt(vorder);
    writeText(" ", 1);
    writeFloatArray(vknot, static_cast<std::int64_t>(nv) + vorder);
    writeText(" ", 1);
    writeFixedText(vmin);
    writeText(" ", 1);
    writeFixedText(vmax);
    writeText(" ", 1);
    const std::int64_t uSpans = static_cast<std::int64_t>(nu) - uorder;
    const std::int64_t vSpans = static_cast<std::int64_t>(nv) - vorder;
    writePrimitiveParameterList(*this, static_cast<std::int64_t>(nu) * nv,
                                saturatingProduct(uSpans + 2, vSpans + 2),
                                saturatingProduct(uSpans + 1, vSpans + 1), n, tokens, values);
}

// ------------------------------------------------- curves, points, meshes

void RibWriter::CurvesV(RtToken type, RtInt ncurves, RtInt nvertices[], RtToken wrap, RtInt n,
                        RtToken tokens[], RtPointer values[])
{
    writeText("Curves ");
    writeQuoted(type);
    writeIntArray(nvertices, ncurves);
    writeText(" ", 1);
    writeQuoted(wrap);
    writeText(" ", 1);

    const bool cubic = isNamed(type, "cubic");
    const bool periodic = isNamed(wrap, "periodic");
    const int step = usableStep(vStep);
    std::int64_t vertices = 0;
    std::int64_t varying = 0;
    for (RtInt i = 0; i < ncurves; ++i) {
        const std::int64_t v = nvertices[i];
        vertices += v;
        if (!cubic) {
            varying += v;
        } else if (periodic) {
            varying += v / step;
        } else {
            varying += (v - 4) / step + 2;
        }
    }
    // Uniform values belong to whole curves: one per curve.
    writePrimitiveParameterList(*this, vertices, varying, ncurves, n, tokens, values);
}

void RibWriter::PointsV(RtInt npoints, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeText("Points ");
    writePrimitiveParameterList(*this, npoints, npoints, 1, n, tokens, values);
}

void RibWriter::SubdivisionMeshV(RtToken scheme, RtInt nfaces, RtInt nvertices[],
                                 RtInt vertices[], RtInt ntags, RtToken tags[], RtInt nargs[],
                                 RtInt intargs[], RtFloat floatargs[], RtInt n, RtToken tokens[],
                                 RtPointer values[])
{
    writeText("SubdivisionMesh ");
    writeQuoted(scheme);
    writeText(" ", 1);
    writeIntArray(nvertices, nfaces);
    writeText(" ", 1);
    const std::int64_t indices = sum(nvertices, nfaces);
    writeIntArray(vertices, indices);
    writeText(" ", 1);
    if (ntags > 0) {
        writeStringArray(tags, ntags);
        writeIntArray(nargs, 2 * static_cast<std::int64_t>(ntags));
        std::int64_t intCount = 0;
        std::int64_t floatCount = 0;
        for (int i = 0; i < ntags; ++i) {
            intCount += nargs[2 * i];
            floatCount += nargs[2 * i + 1];
        }
        // A reader takes the four tag arrays together, so the argument
        // arrays are written even when they are empty.
        writeIntArray(intargs, intCount);
        writeFloatArray(floatargs, floatCount);
    }
    const std::int64_t meshVertices = vertexCount(vertices, indices);
    writePrimitiveParameterList(*this, meshVertices, meshVertices, nfaces, n, tokens, values,
                                indices);
}

void RibWriter::BlobbyV(RtInt nleaf, RtInt ncode, RtInt code[], RtInt nflt, RtFloat flt[],
                        RtInt nstr, RtToken str[], RtInt n, RtToken tokens[],
                        RtPointer values[])
{
    // Count what the code refers to. The walk never reads past code[ncode - 1]
    // and stops at a negative operand count, so a malformed program cannot
    // send it outside the array or into an endless loop.
    int leaves = 0;
    int floats = 0;
    int strings = 0;
    for (std::int64_t d = 0; d < ncode; ++d) {
        const RtInt opcode = code[d];
        if (opcode >= 0 && opcode <= 3) {
            if (d + 1 >= ncode || code[d + 1] < 0) {
                break;
            }
            d += 1 + static_cast<std::int64_t>(code[d + 1]);
        } else if (opcode == 4 || opcode == 5) {
            d += 2;
        } else if (opcode == 6 || opcode == 7) {
            d += 1;
        } else if (opcode == 1000) {
            ++leaves;
            floats += 1;
            d += 1;
        } else if (opcode == 1001) {
            ++leaves;
            floats += 16;
            d += 1;
        } else if (opcode == 1002) {
            ++leaves;
            floats += 23;
            d += 1;
        } else if (opcode == 1003) {
            ++leaves;
            floats += 4;
            strings += 1;
            d += 2;
        }
    }
    if (nleaf != leaves) {
        reportDiagnostic(RIE_CONSISTENCY, RIE_ERROR,
                         "ribout error: RiBlobby nleaf [%d] !=  leaf count [%i]", nleaf, leaves);
    }
    if (nflt != floats) {
        reportDiagnostic(RIE_CONSISTENCY, RIE_ERROR,
                         "ribout error: RiBlobby nflt [%d] != float count [%i]", nflt, floats);
    }
    if (nstr != strings) {
        reportDiagnostic(RIE_CONSISTENCY, RIE_ERROR,
                         "ribout error: RiBlobby nstr [%d] != string count [%i]", nstr, strings);
    }

    writeText("Blobby ");
    writeInt(nleaf);
    writeText(" ", 1);
    writeIntArray(code, ncode);
    writeText(" ", 1);
    writeFloatArray(flt, nflt);
    writeText(" ", 1);
    writeStringArray(str, nstr);
    if (n > 0) {
        writeText("\n", 1);
        // A blobby is one surface: a uniform value has one element.
        writePrimitiveParameterList(*this, nleaf, nleaf, 1, n, tokens, values);
    }
    endRequest();
}

void RibWriter::Procedural(RtPointer data, RtBound bound, RtProcSubdivFunc subdivfunc,
                           RtProcFreeFunc)
{
    const RtString* arguments = static_cast<const RtString*>(data);
    if (subdivfunc == RiProcDelayedReadArchive) {
        writeText("Procedural \"DelayedReadArchive\" [");
        writeQuoted(arguments[0]);
        writeText("] ");
    } else if (subdivfunc == RiProcRunProgram || subdivfunc == RiProcDynamicLoad) {
        writeText(subdivfunc == RiProcRunProgram ? "Procedural \"RunProgram\" ["
                                                 : "Procedural \"DynamicLoad\" [");
        writeQuoted(arguments[0]);
        writeText(" ", 1);
        writeQuoted(arguments[1]);
        writeText("] ");
    } else {
        reportDiagnostic(RIE_INCAPABLE, RIE_ERROR, "ribout error: procedural type");
        return;
    }
    writeFloatArray(bound, 6);
    endRequest();
}

void RibWriter::GeometryV(RtToken type, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Geometry", type, 0, n, tokens, values);
}

// --------------------------------------------------- solids and objects

void RibWriter::SolidBegin(RtToken operation)
{
    writeText("SolidBegin ");
    writeQuoted(operation);
    endRequest();
}

void RibWriter::SolidEnd()
{
    writeText("SolidEnd");
    endRequest();
}

RtObjectHandle RibWriter::ObjectBegin()
{
    const int handle = objectCounter++;
    writeText("ObjectBegin ");
    writeInt(handle);
    endRequest();
    return reinterpret_cast<RtObjectHandle>(static_cast<std::intptr_t>(handle));
}

void RibWriter::ObjectEnd()
{
    writeText("ObjectEnd");
    endRequest();
}

void RibWriter::ObjectInstance(RtObjectHandle handle)
{
    writeText("ObjectInstance ");
    writeInt(static_cast<long>(reinterpret_cast<std::intptr_t>(handle)));
    endRequest();
}
