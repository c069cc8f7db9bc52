// Attribute, shader and light requests of the RIB writer.

#include <cstdint>

#include "ribout/Declarations.h"
#include "ribout/RibWriter.h"

namespace {

// Handles are plain numbers carried in the pointer-sized handle types.
long handleNumber(RtPointer handle)
{
    return static_cast<long>(reinterpret_cast<std::intptr_t>(handle));
}

RtPointer numberHandle(int number)
{
    return reinterpret_cast<RtPointer>(static_cast<std::intptr_t>(number));
}

}  // namespace

void RibWriter::AttributeBegin()
{
    writeText("AttributeBegin");
    endRequest();
}

void RibWriter::AttributeEnd()
{
    writeText("AttributeEnd");
    endRequest();
}

void RibWriter::Color(RtColor color)
{
    writeText("Color ");
    writeFloatArray(color, colorSamples);
    endRequest();
}

void RibWriter::Opacity(RtColor color)
{
    writeText("Opacity ");
    writeFloatArray(color, colorSamples);
    endRequest();
}

void RibWriter::TextureCoordinates(RtFloat s1, RtFloat t1, RtFloat s2, RtFloat t2, RtFloat s3,
                                   RtFloat t3, RtFloat s4, RtFloat t4)
{
    writeText("TextureCoordinates [");
    for (RtFloat number : {s1, t1, s2, t2, s3, t3, s4, t4}) {
        writeText(" ", 1);
        writeFloatText(number);
    }
    writeText(" ]");
    endRequest();
}

void RibWriter::ShadingRate(RtFloat size)
{
    writeFloats("ShadingRate", {size});
}

void RibWriter::ShadingInterpolation(RtToken type)
{
    writeText("ShadingInterpolation ");
    writeQuoted(type);
    endRequest();
}

void RibWriter::Matte(RtBoolean onoff)
{
    writeText("Matte ");
    writeInt(onoff);
    endRequest();
}

void RibWriter::Bound(RtBound bound)
{
    writeText("Bound ");
    writeFloatArray(bound, 6);
    endRequest();
}

void RibWriter::Detail(RtBound bound)
{
    writeText("Detail ");
    writeFloatArray(bound, 6);
    endRequest();
}

void RibWriter::DetailRange(RtFloat minvisible, RtFloat lowertransition, RtFloat uppertransition,
                            RtFloat maxvisible)
{
    writeFloats("DetailRange", {minvisible, lowertransition, uppertransition, maxvisible});
}

void RibWriter::GeometricApproximation(RtToken type, RtFloat value)
{
    writeText("GeometricApproximation ");
    writeQuoted(type);
    writeFloats("", {value});
}

void RibWriter::GeometricRepresentation(RtToken type)
{
    writeText("GeometricRepresentation ");
    writeQuoted(type);
    endRequest();
}

void RibWriter::Sides(RtInt sides)
{
    writeText("Sides ");
    writeInt(sides);
    endRequest();
}

void RibWriter::Orientation(RtToken orientation)
{
    writeText("Orientation ");
    writeQuoted(orientation);
    endRequest();
}

void RibWriter::ReverseOrientation()
{
    writeText("ReverseOrientation");
    endRequest();
}

void RibWriter::AttributeV(RtToken attribute, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Attribute", attribute, 0, n, tokens, values);
}

// ------------------------------------------------------------------ shaders

void RibWriter::SurfaceV(RtToken shader, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Surface", shader, 0, n, tokens, values);
}

void RibWriter::DisplacementV(RtToken shader, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Displacement", shader, 0, n, tokens, values);
}

void RibWriter::AtmosphereV(RtToken shader, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Atmosphere", shader, 0, n, tokens, values);
}

void RibWriter::InteriorV(RtToken shader, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Interior", shader, 0, n, tokens, values);
}

void RibWriter::ExteriorV(RtToken shader, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Exterior", shader, 0, n, tokens, values);
}

void RibWriter::ImagerV(RtToken shader, RtInt n, RtToken tokens[], RtPointer values[])
{
    writeParameterRequest("Imager", shader, 0, n, tokens, values);
}

// ------------------------------------------------------------------- lights

RtLightHandle RibWriter::LightSourceV(RtToken shader, RtInt n, RtToken tokens[],
                                      RtPointer values[])
{
    const int handle = lightCounter++;
    writeParameterRequest("LightSource", shader, handle, n, tokens, values);
    return numberHandle(handle);
}

RtLightHandle RibWriter::AreaLightSourceV(RtToken shader, RtInt n, RtToken tokens[],
                                          RtPointer values[])
{
    const int handle = lightCounter++;
    writeParameterRequest("AreaLightSource", shader, handle, n, tokens, values);
    return numberHandle(handle);
}

void RibWriter::Illuminate(RtLightHandle light, RtBoolean onoff)
{
    writeText("Illuminate ");
    writeInt(handleNumber(light));
    writeText(" ", 1);
    writeInt(onoff);
    endRequest();
}
