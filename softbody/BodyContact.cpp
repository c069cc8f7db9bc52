#include "softbody/BodyContact.h"

#include "softbody/MassPoint.h"
#include "softbody/SoftBody.h"
#include "softbody/StepKernels.h"

#include <algorithm>
#include <cmath>
#include <limits>

Bounds Bounds::grown(double r) const
{
    Bounds b;
    b.low = low - Vector3(r, r, r);
    b.high = high + Vector3(r, r, r);
    return b;
}

Bounds Bounds::within(const Bounds& o) const
{
    Bounds b;
    b.low = Vector3(std::max(low.x, o.low.x), std::max(low.y, o.low.y), std::max(low.z, o.low.z));
    b.high = Vector3(std::min(high.x, o.high.x), std::min(high.y, o.high.y), std::min(high.z, o.high.z));
    return b;
}

bool Bounds::overlaps(const Bounds& o) const
{
    return low.x <= o.high.x && o.low.x <= high.x && low.y <= o.high.y && o.low.y <= high.y && low.z <= o.high.z &&
           o.low.z <= high.z;
}

namespace {
// Node index of lattice point (i, j, k).
struct Lattice {
    int NY, NZ;
    int operator()(int i, int j, int k) const { return (i * NY + j) * NZ + k; }
};

bool isFinite(const Bounds& b)
{
    return std::isfinite(b.low.x) && std::isfinite(b.low.y) && std::isfinite(b.low.z) && std::isfinite(b.high.x) &&
           std::isfinite(b.high.y) && std::isfinite(b.high.z);
}
}  // namespace

double BodySurface::margin(const SoftBody& body)
{
    const bool solid = body.cellsX != 0 && body.cellsY != 0 && body.cellsZ != 0;
    // Half a spacing more than an element reaches, for a quad bent out of
    // its plane, whose slanted block can stand out past its corners.
    return body.spacing * (kSkin + (solid ? kSolidReach : 0.5 * kThickness) + 0.5);
}

BodySurface::BodySurface(SoftBody& body) : body_(&body), positions_(size_t(body.nodeCount()) + 1)
{
    const int NX = body.nodesX, NY = body.nodesY, NZ = body.nodesZ;
    const Lattice at{NY, NZ};
    const int zeroCounts = (body.cellsX == 0) + (body.cellsY == 0) + (body.cellsZ == 0);
    const Kind kinds[4] = {Kind::face, Kind::sheet, Kind::segment, Kind::point};
    kind_ = kinds[zeroCounts];
    skin_ = kSkin * body.spacing;
    thickness_ = kThickness * body.spacing;
    depthLimit_ = kSolidReach * body.spacing;
    elementMargin_ = skin_ + (kind_ == Kind::face ? depthLimit_ : 0.5 * thickness_);

    for (int i = 0; i < NX; ++i)
        for (int j = 0; j < NY; ++j)
            for (int k = 0; k < NZ; ++k)
                if (kind_ != Kind::face || i == 0 || i == NX - 1 || j == 0 || j == NY - 1 || k == 0 || k == NZ - 1)
                    outerNodes_.push_back(at(i, j, k));

    // Each quad's corners go round so that its mid-lines e1 (first to second
    // corner side) and e2 give e1 × e2 along the outward normal.
    if (kind_ == Kind::face) {
        for (int j = 0; j + 1 < NY; ++j)
            for (int k = 0; k + 1 < NZ; ++k) {
                addElement(at(0, j, k), at(0, j, k + 1), at(0, j + 1, k + 1), at(0, j + 1, k));  // -x
                const int i = NX - 1;
                addElement(at(i, j, k), at(i, j + 1, k), at(i, j + 1, k + 1), at(i, j, k + 1));  // +x
            }
        for (int i = 0; i + 1 < NX; ++i)
            for (int k = 0; k + 1 < NZ; ++k) {
                addElement(at(i, 0, k), at(i + 1, 0, k), at(i + 1, 0, k + 1), at(i, 0, k + 1));  // -y
                const int j = NY - 1;
                addElement(at(i, j, k), at(i, j, k + 1), at(i + 1, j, k + 1), at(i + 1, j, k));  // +y
            }
        for (int i = 0; i + 1 < NX; ++i)
            for (int j = 0; j + 1 < NY; ++j) {
                addElement(at(i, j, 0), at(i, j + 1, 0), at(i + 1, j + 1, 0), at(i + 1, j, 0));  // -z
                const int k = NZ - 1;
                addElement(at(i, j, k), at(i + 1, j, k), at(i + 1, j + 1, k), at(i, j + 1, k));  // +z
            }
    } else if (kind_ == Kind::sheet) {
        // Two-sided, so the corners' turn does not matter.
        if (NZ == 1) {
            for (int i = 0; i + 1 < NX; ++i)
                for (int j = 0; j + 1 < NY; ++j)
                    addElement(at(i, j, 0), at(i + 1, j, 0), at(i + 1, j + 1, 0), at(i, j + 1, 0));
        } else if (NY == 1) {
            for (int i = 0; i + 1 < NX; ++i)
                for (int k = 0; k + 1 < NZ; ++k)
                    addElement(at(i, 0, k), at(i + 1, 0, k), at(i + 1, 0, k + 1), at(i, 0, k + 1));
        } else {
            for (int j = 0; j + 1 < NY; ++j)
                for (int k = 0; k + 1 < NZ; ++k)
                    addElement(at(0, j, k), at(0, j + 1, k), at(0, j + 1, k + 1), at(0, j, k + 1));
        }
    } else {
        const int count = body.nodeCount();
        for (int n = 0; n + 1 < count || (n == 0 && count == 1); ++n) {
            const int next = kind_ == Kind::segment ? n + 1 : n;
            addElement(n, next, next, next);
        }
    }
    elementCount_ = int(corners_.size() / 4);
    shapes_.resize(size_t(elementCount_));
}

Bounds BodySurface::gather()
{
    // Only the outer nodes: they are the surface's corners and the nodes
    // that meet other bodies, and their box is all of the body that counts.
    Bounds box;
    const MassPoint* nodes = body_->nodeArray();
    for (int n : outerNodes_) {
        positions_[size_t(n)] = nodes[n].position;
        box.include(positions_[size_t(n)]);
    }
    return box;
}

void BodySurface::capture(const std::vector<Bounds>& regions)
{
    captured_.clear();
    // assign, not a new vector: the same count of regions reuses the table.
    reaches_.assign(regions.size(), Bounds());
    Bounds around;
    for (const Bounds& r : regions) around.include(r);
    if (kind_ == Kind::face || kind_ == Kind::sheet) {
        const double front = kind_ == Kind::face ? skin_ : 0.5 * thickness_ + skin_;
        const double back = kind_ == Kind::face ? depthLimit_ : 0.5 * thickness_ + skin_;
        const QuadPass pass{positions_.data(), corners_.data(), shapes_.data(), front, back};
        const StepKernels& kernels = stepKernels(body_->ownPath());
        kernels.quads(pass, 0, elementCount_);
        nearestQuad_ = kernels.nearestQuad;
    } else {
        for (int e = 0; e < elementCount_; ++e) shapeSegment(e);
    }
    // Only the elements that reach into some region's box: in a crowd the
    // box around all the regions holds much of the surface that none of
    // them comes near.
    for (int e = 0; e < elementCount_; ++e) {
        const QuadShape& shape = shapes_[size_t(e)];
        Bounds b;
        b.low = shape.low;
        b.high = shape.high;
        if (!b.overlaps(around)) continue;
        bool reached = false;
        for (size_t r = 0; r < regions.size(); ++r)
            if (b.overlaps(regions[r])) {
                reaches_[r].include(b);
                reached = true;
            }
        if (reached) captured_.push_back(e);
    }
    // A node touches only elements whose boxes hold it, so a node within
    // region r that can touch any lies within both r and the box of r's
    // elements; the grid spans every region's such part.
    reach_ = Bounds();
    for (size_t r = 0; r < regions.size(); ++r) {
        reaches_[r] = reaches_[r].within(regions[r]);
        if (reaches_[r].isEmpty()) continue;
        reach_.include(reaches_[r]);
    }
    buildGrid();
}

void BodySurface::addElement(int a, int b, int c, int d)
{
    corners_.insert(corners_.end(), {a, b, c, d});
}

void BodySurface::shapeSegment(int e)
{
    const int* c = &corners_[size_t(4 * e)];
    const Vector3 p0 = positions_[size_t(c[0])], p1 = positions_[size_t(c[1])];
    QuadShape& s = shapes_[size_t(e)];
    s.centre = p0;
    s.e1 = p1 - p0;
    s.g11 = s.e1.dot(s.e1);
    Bounds b;
    b.include(s.centre);
    b.include(s.centre + s.e1);
    b = b.grown(elementMargin_);
    s.low = b.low;
    s.high = b.high;
}

void BodySurface::buildGrid()
{
    // A body thrown to infinity or beyond numbers touches nothing.
    if (captured_.empty() || !isFinite(reach_)) {
        captured_.clear();
        reach_ = Bounds();
        std::fill(reaches_.begin(), reaches_.end(), Bounds());
        dims_[0] = dims_[1] = dims_[2] = 0;
        return;
    }
    // Cells of a spacing hold a few elements each; a body spread far and
    // thin gets larger cells, so the grid stays within a few cells per element.
    const Vector3 extent = reach_.high - reach_.low;
    const double cap = 64.0 + 8.0 * double(captured_.size());
    cellSize_ = std::max(kCellSpacings * body_->spacing, 1e-9);
    for (;;) {
        const double cells[3] = {std::floor(extent.x / cellSize_) + 1.0, std::floor(extent.y / cellSize_) + 1.0,
                                 std::floor(extent.z / cellSize_) + 1.0};
        const double total = cells[0] * cells[1] * cells[2];
        if (total <= cap) {
            for (int a = 0; a < 3; ++a) dims_[a] = int(cells[a]), lastCell_[a] = double(dims_[a] - 1);
            break;
        }
        cellSize_ *= std::max(1.1, std::cbrt(total / cap));
    }
    gridOrigin_ = reach_.low;
    inverseCellSize_ = 1.0 / cellSize_;

    // Each element's cells, in element order, counted by cell; then each
    // entry placed after the ones of its cell before it, so each cell lists
    // its elements ascending. Cells come from the same mapping findContact
    // uses: a division here could round a point on a cell boundary into the
    // neighbouring cell, and a node there would miss the element whose box
    // holds it.
    // resize, not assign: a grid larger than any before grows the table to
    // at least twice its size, where assign would take exactly the new size
    // and allocate again at the next larger grid.
    cellStart_.resize(size_t(dims_[0]) * dims_[1] * dims_[2] + 1);
    std::fill(cellStart_.begin(), cellStart_.end(), 0);
    cellRanges_.resize(captured_.size() * 6);
    size_t entries = 0;
    for (size_t e = 0; e < captured_.size(); ++e) {
        const QuadShape& shape = shapes_[size_t(captured_[e])];
        int* range = &cellRanges_[e * 6];
        cellCoordinates(shape.low, *reinterpret_cast<int(*)[3]>(range));
        cellCoordinates(shape.high, *reinterpret_cast<int(*)[3]>(range + 3));
        entries += size_t(range[3] - range[0] + 1) * size_t(range[4] - range[1] + 1) * size_t(range[5] - range[2] + 1);
    }
    entryCells_.resize(entries);
    entryElements_.resize(entries);
    int* cell = entryCells_.data();
    int* owner = entryElements_.data();
    int* count = cellStart_.data() + 1;
    for (size_t e = 0; e < captured_.size(); ++e) {
        const int* r = &cellRanges_[e * 6];
        const int element = captured_[e];
        for (int x = r[0]; x <= r[3]; ++x)
            for (int y = r[1]; y <= r[4]; ++y) {
                const int row = cellIndex(x, y, 0);
                for (int z = r[2]; z <= r[5]; ++z) {
                    *cell++ = row + z;
                    *owner++ = element;
                    ++count[row + z];
                }
            }
    }
    for (size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
    cellElements_.resize(entryCells_.size());
    fill_.resize(cellStart_.size() - 1);
    std::copy(cellStart_.begin(), cellStart_.end() - 1, fill_.begin());
    for (size_t i = 0; i < entryCells_.size(); ++i)
        cellElements_[size_t(fill_[size_t(entryCells_[i])]++)] = entryElements_[i];
}

bool BodySurface::findContactWithinReach(const Vector3& p, SurfaceContact& contact) const
{
    int c[3];
    cellCoordinates(p, c);
    const int cell = cellIndex(c[0], c[1], c[2]);
    const int* first = cellElements_.data() + cellStart_[size_t(cell)];
    const int count = cellStart_[size_t(cell) + 1] - cellStart_[size_t(cell)];
    int best = -1;
    if (kind_ == Kind::face || kind_ == Kind::sheet) {
        best = nearestQuad_(query(p), first, count);
    } else {
        double bestDepth = 0.0;
        for (int i = 0; i < count; ++i)
            if (test(first[i], p, contact) && (best < 0 || contact.depth < bestDepth)) {
                best = first[i];
                bestDepth = contact.depth;
            }
    }
    // The same test again gives the same bits, and only the best contact
    // needs its weights.
    return best >= 0 && test(best, p, contact);
}

QuadQuery BodySurface::query(const Vector3& p) const
{
    return {shapes_.data(), p, skin_, kind_ == Kind::face ? depthLimit_ : std::numeric_limits<double>::infinity(),
            0.5 * thickness_, kind_ == Kind::face};
}

bool BodySurface::test(int element, const Vector3& p, SurfaceContact& contact) const
{
    const QuadShape& e = shapes_[size_t(element)];
    const int* nodes = &corners_[size_t(4 * element)];
    const Vector3 q = p - e.centre;
    if (kind_ == Kind::segment || kind_ == Kind::point) {
        const double t = e.g11 > 0.0 ? std::min(1.0, std::max(0.0, q.dot(e.e1) / e.g11)) : 0.0;
        const Vector3 away = q - e.e1 * t;
        const double distance = away.length();
        const double depth = 0.5 * thickness_ - distance;
        // A node right on the axis has no way out that is better than another.
        if (!(depth >= -skin_) || distance == 0.0) return false;
        contact.normal = away / distance;
        contact.depth = depth;
        contact.count = kind_ == Kind::segment ? 2 : 1;
        contact.nodes[0] = nodes[0];
        contact.nodes[1] = nodes[1];
        contact.weights[0] = 1.0 - t;
        contact.weights[1] = t;
        if (kind_ == Kind::point) contact.weights[0] = 1.0;
        return true;
    }
    QuadPlace at;
    if (!quadTouches(query(p), element, at)) return false;
    // A sheet answers from the side the point is on.
    const Vector3 normal = kind_ == Kind::sheet && at.h < 0.0 ? -e.normal : e.normal;
    const double s = at.u + 0.5, t = at.v + 0.5;
    contact.normal = normal;
    contact.depth = at.depth;
    contact.count = 4;
    for (int c = 0; c < 4; ++c) contact.nodes[c] = nodes[c];
    contact.weights[0] = (1.0 - s) * (1.0 - t);
    contact.weights[1] = s * (1.0 - t);
    contact.weights[2] = s * t;
    contact.weights[3] = (1.0 - s) * t;
    return true;
}

NodeForces::NodeForces(SoftBody& body) : body_(&body), total_(size_t(body.nodeCount())) {}

void NodeForces::take(const std::vector<int>& outerNodes)
{
    // All of them in one pass rather than each when a contact first asks:
    // the pass streams through the table, where the contacts would reach
    // into it here and there.
    const MassPoint* nodes = body_->nodeArray();
    for (int n : outerNodes) total_[size_t(n)] = nodes[n].force + nodes[n].externalForce;
}

void NodeForces::add(int n, const Vector3& f)
{
    total_[size_t(n)] += f;
    body_->nodeArray()[n].externalForce += f;
}

namespace {
// One contact between node `a` and the point of another body's surface that
// `contact` describes. Each rule of the fixed contacts acts on the node's
// motion relative to that point, and through the pair's reduced mass: a
// change dv of the relative velocity is an impulse dv/K, taken by the node
// as +impulse and by the surface's nodes as -impulse times their weights,
// where K = 1/m_node + sum w_i²/m_i. With a surface node of infinite mass
// (or fixed) this is exactly the response against a fixed surface, and
// between two free bodies momentum is kept and no rule can add energy.
void respond(MassPoint& a, int node, NodeForces& forces, MassPoint* surfaceNodes, const SurfaceContact& contact,
             NodeForces& surfaceForces)
{
    const Vector3& n = contact.normal;
    const double kNode = a.fixed ? 0.0 : 1.0 / a.mass;
    double k[4];
    double K = kNode;
    for (int c = 0; c < contact.count; ++c) {
        const MassPoint& s = surfaceNodes[contact.nodes[c]];
        k[c] = s.fixed ? 0.0 : 1.0 / s.mass;
        K += contact.weights[c] * contact.weights[c] * k[c];
    }
    if (!(K > 0.0)) return;

    auto relativeVelocity = [&] {
        Vector3 v = a.velocity;
        for (int c = 0; c < contact.count; ++c) v -= surfaceNodes[contact.nodes[c]].velocity * contact.weights[c];
        return v;
    };
    auto applyImpulse = [&](const Vector3& dv) {
        const Vector3 j = dv / K;
        a.velocity += j * kNode;
        for (int c = 0; c < contact.count; ++c)
            surfaceNodes[contact.nodes[c]].velocity -= j * (contact.weights[c] * k[c]);
    };

    // The force that, on the reduced mass, gives the node's acceleration
    // relative to the surface point.
    Vector3 surfaceAcceleration(0.0, 0.0, 0.0);
    for (int c = 0; c < contact.count; ++c)
        surfaceAcceleration += surfaceForces.at(contact.nodes[c]) * (contact.weights[c] * k[c]);
    const Vector3 F = (forces.at(node) * kNode - surfaceAcceleration) / K;

    Vector3 normalForce(0.0, 0.0, 0.0), friction(0.0, 0.0, 0.0);
    const double d = F.dot(n);
    if (d < 0.0) {
        normalForce = n * std::fabs(d);
        // Friction sees the normal force of the node's previous response.
        const Vector3 P = a.contactForce;
        const Vector3 v = relativeVelocity();
        const Vector3 U = (F + P).normalized();
        const Vector3 W = U.cross(n);
        const Vector3 Ft = U * F.dot(U) + W * F.dot(W);
        const Vector3 Vt = U * v.dot(U) + W * v.dot(W);
        if (Ft.length() - (P * a.staticFriction).length() > 0.0 || Vt.length() > MassPoint::kStickSpeed) {
            friction = -Vt.normalized() * (P * a.kineticFriction).length();
        } else {
            applyImpulse(-Vt);
            friction = -Ft;
        }
    }
    a.contactForce = normalForce;
    const Vector3 total = normalForce + friction;
    forces.add(node, total);
    for (int c = 0; c < contact.count; ++c) surfaceForces.add(contact.nodes[c], total * -contact.weights[c]);

    // The approach is only stopped, never reversed, whatever the bodies: a
    // node sent back at its approach speed moves a whole step against its
    // springs before they can answer, and the pair would come out of the
    // collision with more energy than it went in with. Glass bodies still
    // bounce off each other, through their own springs.
    const double e = relativeVelocity().dot(n);
    if (e < 0.0) applyImpulse(n * -e);
}
}  // namespace

int collideNodes(const BodySurface& own, NodeForces& forces, const BodySurface& surface, size_t region,
                 NodeForces& surfaceForces, std::vector<NodeContact>& found)
{
    MassPoint* nodes = own.body().nodeArray();
    MassPoint* surfaceNodes = surface.body().nodeArray();
    // Every contact first, then the responses in the same order: the
    // look-ups read only the copied positions, which no response changes,
    // and apart from the long chains of the responses they overlap.
    found.clear();
    SurfaceContact contact;
    for (int n : own.outerNodes())
        if (surface.findContact(own.position(n), region, contact)) found.push_back({n, contact});
    for (const NodeContact& c : found) respond(nodes[c.node], c.node, forces, surfaceNodes, c.contact, surfaceForces);
    return int(found.size());
}
