#include "softbody/SoftBody.h"

#include <cmath>
#include <iostream>
#include <stdexcept>
#include <string>

long long latticeSpringCount(int cellsX, int cellsY, int cellsZ)
{
    const long long cx = cellsX, cy = cellsY, cz = cellsZ;
    const long long nx = cx + 1, ny = cy + 1, nz = cz + 1;
    const long long axis = cx * ny * nz + nx * cy * nz + nx * ny * cz;
    const long long cellDiagonals = 4 * cx * cy * cz;
    const long long faceDiagonals = 2 * (cx * cy * nz + cy * cz * nx + cx * cz * ny);
    return axis + cellDiagonals + faceDiagonals;
}

SoftBody::SoftBody() = default;

SoftBody::SoftBody(int cellsX_, int cellsY_, int cellsZ_, double spacing_, double stiffness_, double damping_,
                   double nodeMass_)
{
    storeParameters(cellsX_, cellsY_, cellsZ_, spacing_, stiffness_, damping_, nodeMass_);
    // The lattice is centred on the origin.
    construct(-(cellsX * spacing) / 2.0, -(cellsY * spacing) / 2.0, -(cellsZ * spacing) / 2.0);
}

SoftBody::SoftBody(int cellsX_, int cellsY_, int cellsZ_, double originX, double originY, double originZ,
                   double spacing_, double stiffness_, double damping_, double nodeMass_)
{
    storeParameters(cellsX_, cellsY_, cellsZ_, spacing_, stiffness_, damping_, nodeMass_);
    origin[0] = originX;
    origin[1] = originY;
    origin[2] = originZ;
    construct(originX, originY, originZ);
}

SoftBody::SoftBody(Unlogged, int cellsX_, int cellsY_, int cellsZ_, double originX, double originY, double originZ,
                   double spacing_, double stiffness_, double damping_, double nodeMass_)
{
    storeParameters(cellsX_, cellsY_, cellsZ_, spacing_, stiffness_, damping_, nodeMass_, false);
    origin[0] = originX;
    origin[1] = originY;
    origin[2] = originZ;
    construct(originX, originY, originZ, false);
}

void SoftBody::storeParameters(int cellsX_, int cellsY_, int cellsZ_, double spacing_, double stiffness_,
                               double damping_, double nodeMass_, bool logged)
{
    if (logged) std::cerr << "blorp: initialing members...\n";
    cellsX = cellsX_;
    cellsY = cellsY_;
    cellsZ = cellsZ_;
    spacing = spacing_;
    stiffness = stiffness_;
    damping = damping_;
    nodeMass = nodeMass_;
}

// Shared tail of both constructors, from the node counts on.
void SoftBody::construct(double x0, double y0, double z0, bool logged)
{
    nodesX = cellsX + 1;
    nodesY = cellsY + 1;
    nodesZ = cellsZ + 1;
    gravityOn = false;
    glass = cellsX != 0 && cellsY != 0 && cellsZ != 0;
    isLine = !((cellsX != 0 || cellsY != 0) && (cellsX != 0 || cellsZ != 0) && (cellsY != 0 || cellsZ != 0));
    floorY = -4.0;
    wallXMin = -4.0;
    wallXMax = 4.0;

    // Refused before anything is allocated, rather than built with
    // attachments that point at the wrong springs.
    const long long springsWanted = latticeSpringCount(cellsX, cellsY, cellsZ);
    if (springsWanted > kMaxBodySprings)
        throw std::length_error("a soft body of " + std::to_string(springsWanted) + " springs is larger than the " +
                                std::to_string(kMaxBodySprings) + " a body can have");
    nodeStorage = std::make_shared<LargeArray<MassPoint>>();
    nodeStorage->reserve(size_t(nodesX) * nodesY * nodesZ);
    if (logged) std::cerr << "blorp: initialize nodes array with actual nodes...\n";
    // Coordinates are accumulated by repeated addition, not multiplied out,
    // so every build of a scene lands on exactly the same bits.
    double x = x0;
    for (int i = 0; i < nodesX; ++i) {
        double y = y0;
        for (int j = 0; j < nodesY; ++j) {
            double z = z0;
            for (int k = 0; k < nodesZ; ++k) {
                nodeStorage->emplace_back(Vector3(x, y, z), nodeMass);
                z += spacing;
            }
            y += spacing;
        }
        x += spacing;
    }
    nodes = nodeStorage->data();

    if (logged) std::cerr << "initializing springs...\n";
    buildSprings();
    if (logged) std::cerr << "initializing faces...\n";
    buildSides();
    if (logged) std::cerr << "blorp has been created\n";
}

void SoftBody::buildSprings()
{
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    const double s = spacing;
    springStorage = std::make_shared<LargeArray<Spring>>();
    springStorage->reserve(size_t(latticeSpringCount(cellsX, cellsY, cellsZ)));
    auto make = [&](int i0, int j0, int k0, int i1, int j1, int k1, double rest) {
        springStorage->emplace_back(node(i0, j0, k0), node(i1, j1, k1), rest, stiffness, damping);
    };
    // Each pass runs row by row (i, then j) and every spring made at row
    // (i, j) joins it only to rows (i, j + 1), (i + 1, j) and (i + 1, j + 1);
    // advance() relies on these per-row segments.
    const int rows = NX * NY;
    rowSpringStart.assign(size_t(3 * (rows + 1)), 0);
    auto markRow = [&](int pass, int row) { rowSpringStart[size_t(pass * (rows + 1) + row)] = int(springStorage->size()); };

    for (int i = 0; i < NX; ++i)
        for (int j = 0; j < NY; ++j) {
            markRow(0, i * NY + j);
            for (int k = 0; k < NZ; ++k) {
                if (i < NX - 1) make(i, j, k, i + 1, j, k, s);
                if (j < NY - 1) make(i, j, k, i, j + 1, k, s);
                if (k < NZ - 1) make(i, j, k, i, j, k + 1, s);
            }
        }
    markRow(0, rows);

    const double cellDiagonal = std::sqrt(3.0 * s * s);
    for (int i = 0; i < NX; ++i)
        for (int j = 0; j < NY; ++j) {
            markRow(1, i * NY + j);
            for (int k = 0; k < NZ; ++k)
                if (i < NX - 1 && j < NY - 1 && k < NZ - 1) {
                    make(i, j, k, i + 1, j + 1, k + 1, cellDiagonal);
                    make(i + 1, j, k, i, j + 1, k + 1, cellDiagonal);
                    make(i + 1, j, k + 1, i, j + 1, k, cellDiagonal);
                    make(i, j, k + 1, i + 1, j + 1, k, cellDiagonal);
                }
        }
    markRow(1, rows);

    const double faceDiagonal = std::sqrt(2.0 * s * s);
    for (int i = 0; i < NX; ++i)
        for (int j = 0; j < NY; ++j) {
            markRow(2, i * NY + j);
            for (int k = 0; k < NZ; ++k) {
                if (i < NX - 1 && j < NY - 1) {
                    make(i, j, k, i + 1, j + 1, k, faceDiagonal);
                    make(i + 1, j, k, i, j + 1, k, faceDiagonal);
                }
                if (k < NZ - 1 && j < NY - 1) {
                    make(i, j, k, i, j + 1, k + 1, faceDiagonal);
                    make(i, j, k + 1, i, j + 1, k, faceDiagonal);
                }
                if (i < NX - 1 && k < NZ - 1) {
                    make(i, j, k, i + 1, j, k + 1, faceDiagonal);
                    make(i, j, k + 1, i + 1, j, k, faceDiagonal);
                }
            }
        }
    markRow(2, rows);

    springs = springStorage->data();
    springTotal = int(springStorage->size());

    // Every node's attachments sit together in one packed array, in the
    // order the springs were created, which is the order each node's spring
    // forces are summed in. Count first, then fill.
    const size_t count = size_t(nodeCount());
    std::vector<std::uint32_t> fill(count + 1, 0);
    for (const Spring& spring : *springStorage) {
        ++fill[size_t(spring.pointA - nodes) + 1];
        ++fill[size_t(spring.pointB - nodes) + 1];
    }
    for (size_t n = 0; n < count; ++n) fill[n + 1] += fill[n];
    attachmentStorage = std::make_shared<LargeArray<SpringAttachment>>(2 * size_t(springTotal));
    for (size_t n = 0; n < count; ++n) {
        nodes[n].springs = AttachedSprings(attachmentStorage->data() + fill[n], fill[n + 1] - fill[n], springs);
        nodes[n].springEnds = AttachedEnds(nodes[n].springs);
    }
    for (Spring& spring : *springStorage) addSpring(&spring, spring.pointA, spring.pointB, fill);
}

void SoftBody::addSpring(Spring* spring, MassPoint* first, MassPoint* second, std::vector<std::uint32_t>& fill)
{
    // The body's own list is the contiguous spring storage itself, filled in
    // creation order; only the ends need registering.
    const auto index = std::uint32_t(spring - springs);
    (*attachmentStorage)[fill[size_t(first - nodes)]++] = springAttachment(index, 0);
    (*attachmentStorage)[fill[size_t(second - nodes)]++] = springAttachment(index, 1);
}

void SoftBody::buildSides()
{
    const int NX = nodesX, NY = nodesY, NZ = nodesZ;
    auto fill = [](SideGrid& grid, int rowCount, int rowLength, auto at) {
        grid.rows.assign(size_t(rowCount), {});
        for (int r = 0; r < rowCount; ++r) {
            std::vector<MassPoint*>& row = grid.rows[size_t(r)];
            row.clear();
            row.reserve(size_t(rowLength));
            for (int e = 0; e < rowLength; ++e) row.push_back(at(r, e));
        }
    };
    fill(sides[0], NY, NZ, [&](int j, int k) { return node(0, j, k); });
    fill(sides[1], NY, NZ, [&](int j, int k) { return node(NX - 1, j, k); });
    fill(sides[2], NZ, NX, [&](int k, int i) { return node(i, 0, k); });
    fill(sides[3], NZ, NX, [&](int k, int i) { return node(i, NY - 1, k); });
    fill(sides[5], NY, NX, [&](int j, int i) { return node(i, j, 0); });
    fill(sides[4], NY, NX, [&](int j, int i) { return node(i, j, NZ - 1); });
}

void SoftBody::chooseColour()
{
    const int n = colourIndex;
    if (n == 0) {
        colour[0] = 0.8f, colour[1] = 0.2f, colour[2] = 0.2f;
    } else if (n == 1) {
        colour[0] = 0.2f, colour[1] = 0.8f, colour[2] = 0.1f;
    } else if (n == 2) {
        colour[0] = 0.8f, colour[1] = 0.6f, colour[2] = 0.1f;
    } else {
        const double r = double((n + 1) * 5 % 7) / 7.0;
        const double g = double((n + 1) * 11 % 7) / 7.0;
        const double b = double((n + 1) * 31 % 7) / 7.0;
        colour[0] = float(r), colour[1] = float(g), colour[2] = float(b);
        std::cerr << "r,g,b:" << r << "," << g << "," << b << "\n";
    }
}

void SoftBody::printNodes() const
{
    for (int n = 0; n < nodeCount(); ++n) nodes[n].position.print();
}

void SoftBody::printSprings() const
{
    std::cerr << springTotal << " springs: ";
    for (int s = 0; s < springTotal; ++s) springs[s].print();
}
