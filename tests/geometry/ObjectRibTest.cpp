#include "RibCapture.h"
#include "geometry/Box.h"
#include "geometry/Cube.h"
#include "geometry/Sphere.h"

#include <gtest/gtest.h>

TEST(Box, WritesSixWoodPolygonsInOneAttributeBlock)
{
    Box box({0, 0, 0}, 2, 1, 3);
    EXPECT_EQ(ribcapture::requests([&] { box.writeRib(); }),
              "AttributeBegin\n"
              "Surface \"wood2\"\n"
              "Polygon \"P\" [0 1 0 0 1 3 2 1 3 2 1 0]\n"
              "Polygon \"P\" [0 0 0 0 1 0 2 1 0 2 0 0]\n"
              "Polygon \"P\" [0 0 3 0 1 3 0 1 0 0 0 0]\n"
              "Polygon \"P\" [2 0 0 2 1 0 2 1 3 2 0 3]\n"
              "Polygon \"P\" [2 0 3 2 1 3 0 1 3 0 0 3]\n"
              "Polygon \"P\" [0 0 3 0 0 0 2 0 0 2 0 3]\n"
              "AttributeEnd\n");

    Box flat({1, 1, 1}, 0, 1, 1);
    const std::string text = ribcapture::requests([&] { flat.writeRib(); });
    size_t polygons = 0;
    for (size_t at = text.find("Polygon"); at != std::string::npos; at = text.find("Polygon", at + 1)) ++polygons;
    EXPECT_EQ(polygons, 6u) << "a zero-width box still writes all six polygons";
}

TEST(Sphere, WritesTranslatedFunkyGlassSphereOfTheDrawnRadius)
{
    Sphere sphere({1, 2, 3}, 0.5);
    EXPECT_EQ(ribcapture::requests([&] { sphere.writeRib(); }),
              "AttributeBegin\n"
              "Translate 1 2 3 \n"
              "Color [0 0.8 0]\n"
              "Surface \"funkyglass\"\n"
              "Sphere 0.5 -0.5 0.5 360\n"
              "AttributeEnd\n");
    Cube cube({0, 0, 0}, 1);
    EXPECT_EQ(ribcapture::requests([&] { cube.writeRib(); }), "") << "the other kinds write nothing";
}
