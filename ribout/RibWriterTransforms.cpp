// Transformation and motion requests of the RIB writer.

#include "ribout/RibWriter.h"

void RibWriter::Identity()
{
    writeText("Identity");
    endRequest();
}

void RibWriter::ConcatTransform(RtMatrix transform)
{
    writeText("ConcatTransform ");
    writeFloatArray(&transform[0][0], 16);
    endRequest();
}

void RibWriter::Transform(RtMatrix transform)
{
    writeText("Transform ");
    writeFloatArray(&transform[0][0], 16);
    endRequest();
}

void RibWriter::Perspective(RtFloat fov)
{
    writeFloats("Perspective", {fov});
}

void RibWriter::Translate(RtFloat dx, RtFloat dy, RtFloat dz)
{
    // Through writeFloat, so the values follow the binary mode; in text the
    // line keeps the space after its last number.
    writeText("Translate ");
    writeFloat(dx);
    writeFloat(dy);
    writeFloat(dz);
    endRequest();
}

void RibWriter::Rotate(RtFloat angle, RtFloat dx, RtFloat dy, RtFloat dz)
{
    writeText("Rotate ");
    writeFloat(angle);
    writeFloat(dx);
    writeFloat(dy);
    writeFloat(dz);
    endRequest();
}

void RibWriter::Scale(RtFloat sx, RtFloat sy, RtFloat sz)
{
    writeFloats("Scale", {sx, sy, sz});
}

void RibWriter::Skew(RtFloat angle, RtFloat dx1, RtFloat dy1, RtFloat dz1, RtFloat dx2,
                     RtFloat dy2, RtFloat dz2)
{
    writeText("Skew ");
    writeFloatText(angle);
    writeText("  ");
    for (RtFloat number : {dx1, dy1, dz1}) {
        writeText(" ", 1);
        writeFloatText(number);
    }
    writeText("  ");
    for (RtFloat number : {dx2, dy2, dz2}) {
        writeText(" ", 1);
        writeFloatText(number);
    }
    endRequest();
}

void RibWriter::CoordinateSystem(RtToken space)
{
    writeText("CoordinateSystem ");
    writeQuoted(space);
    endRequest();
}

void RibWriter::CoordSysTransform(RtToken space)
{
    writeText("CoordSysTransform ");
    writeQuoted(space);
    endRequest();
}

RtPoint* RibWriter::TransformPoints(RtToken, RtToken, RtInt, RtPoint[])
{
    // A RIB stream has no way to ask the renderer for a transformation.
    return nullptr;
}

void RibWriter::TransformBegin()
{
    writeText("TransformBegin");
    endRequest();
}

void RibWriter::TransformEnd()
{
    writeText("TransformEnd");
    endRequest();
}

void RibWriter::MotionBeginV(RtInt n, RtFloat times[])
{
    writeText("MotionBegin ");
    writeFloatArray(times, n);
    endRequest();
}

void RibWriter::MotionEnd()
{
    writeText("MotionEnd");
    endRequest();
}
