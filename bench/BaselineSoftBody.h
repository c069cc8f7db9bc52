#pragma once
// The straightforward way to store and step a soft body, kept as the
// yardstick for SoftBody's figures: one heap object per node and per spring,
// each node holding its own heap vectors of spring pointers and end codes,
// every spring force computed through the general Vector3 operations (two
// square roots per spring), and every scene object asked through its virtual
// contains and normalAt for every node. Same lattice, same arithmetic order,
// so it follows a SoftBody's trajectory bit for bit.
#include "geometry/GenericObject.h"
#include "geometry/Spring.h"
#include "softbody/MassPoint.h"
#include "softbody/SoftBody.h"

#include <cmath>
#include <memory>
#include <vector>

class BaselineSoftBody {
public:
    /// A glass cube of cells³ cells centred on the origin, with gravity, in
    /// the room without objects.
    BaselineSoftBody(int cells, double spacing, double stiffness, double damping, double mass)
        : n_(cells + 1), glass_(true), gravity_(true)
    {
        const double start = -(cells * spacing) / 2.0;
        double x = start;
        for (int i = 0; i < n_; ++i, x += spacing) {
            double y = start;
            for (int j = 0; j < n_; ++j, y += spacing) {
                double z = start;
                for (int k = 0; k < n_; ++k, z += spacing) nodes_.push_back(new Node(Vector3(x, y, z), mass));
            }
        }
        auto link = [&](int i0, int j0, int k0, int i1, int j1, int k1, double rest) {
            this->link(at(i0, j0, k0), at(i1, j1, k1), rest, stiffness, damping);
        };
        const int N = n_;
        const double sq3 = std::sqrt(3.0 * spacing * spacing), sq2 = std::sqrt(2.0 * spacing * spacing);
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j)
                for (int k = 0; k < N; ++k) {
                    if (i < N - 1) link(i, j, k, i + 1, j, k, spacing);
                    if (j < N - 1) link(i, j, k, i, j + 1, k, spacing);
                    if (k < N - 1) link(i, j, k, i, j, k + 1, spacing);
                }
        for (int i = 0; i < N - 1; ++i)
            for (int j = 0; j < N - 1; ++j)
                for (int k = 0; k < N - 1; ++k) {
                    link(i, j, k, i + 1, j + 1, k + 1, sq3);
                    link(i + 1, j, k, i, j + 1, k + 1, sq3);
                    link(i + 1, j, k + 1, i, j + 1, k, sq3);
                    link(i, j, k + 1, i + 1, j + 1, k, sq3);
                }
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j)
                for (int k = 0; k < N; ++k) {
                    if (i < N - 1 && j < N - 1) link(i, j, k, i + 1, j + 1, k, sq2), link(i + 1, j, k, i, j + 1, k, sq2);
                    if (k < N - 1 && j < N - 1) link(i, j, k, i, j + 1, k + 1, sq2), link(i, j, k + 1, i, j + 1, k, sq2);
                    if (i < N - 1 && k < N - 1) link(i, j, k, i + 1, j, k + 1, sq2), link(i, j, k + 1, i + 1, j, k, sq2);
                }
    }
    /// The same lattice as `body`, in its present state, with its springs in
    /// its order, its gravity and glass flags, answering the room's planes
    /// and `objects` (nullptr: the room's planes only).
    BaselineSoftBody(const SoftBody& body, const std::vector<GenericObject*>* objects)
        : n_(0), glass_(body.glass), gravity_(body.gravityOn), objects_(objects)
    {
        for (int n = 0; n < body.nodeCount(); ++n) {
            const MassPoint& from = body.nodes[n];
            Node* node = new Node(from.position, from.mass);
            node->point.velocity = from.velocity;
            node->point.acceleration = from.acceleration;
            node->point.contactForce = from.contactForce;
            node->point.externalForce = from.externalForce;
            node->point.fixed = from.fixed;
            nodes_.push_back(node);
        }
        for (int s = 0; s < body.springCount(); ++s) {
            const Spring& from = body.springs[s];
            link(nodes_[size_t(from.pointA - body.nodes)], nodes_[size_t(from.pointB - body.nodes)], from.restLength,
                 from.ks, from.kd);
        }
    }
    ~BaselineSoftBody()
    {
        for (Spring* s : springs_) delete s;
        for (Node* n : nodes_) delete n;
    }
    BaselineSoftBody(const BaselineSoftBody&) = delete;
    BaselineSoftBody& operator=(const BaselineSoftBody&) = delete;

    int springCount() const { return int(springs_.size()); }
    int nodeCount() const { return int(nodes_.size()); }

    void computeSpringForces()
    {
        for (Spring* s : springs_) {
            const Vector3& pA = s->pointA->position;
            const Vector3& pB = s->pointB->position;
            const double len = std::sqrt(pA.distanceSquared(pB));
            const double f = s->ks * (s->restLength - len);
            const Vector3 u = pA.directionTo(pB);
            s->forceA = -(u * f) - s->pointA->velocity * s->kd;
            s->forceB = u * f - s->pointB->velocity * s->kd;
        }
    }

    void step(double dt)
    {
        for (Node* node : nodes_) {
            MassPoint& p = node->point;
            p.clearForce();
            if (gravity_) p.addGravity();
            for (size_t s = 0; s < node->springs.size(); ++s)
                p.force += node->ends[s] == 1 ? node->springs[s]->forceA : node->springs[s]->forceB;
            p.applyExternalForce();
            const Vector3 q = p.position;
            if (q.y <= -4.0) p.respondToContact(Vector3(0, 1, 0), glass_);
            if (q.x <= -4.0) p.respondToContact(Vector3(1, 0, 0), glass_);
            if (q.x >= 4.0) p.respondToContact(Vector3(-1, 0, 0), glass_);
            if (q.z <= -5.0) p.respondToContact(Vector3(0, 0, 1), glass_);
            if (q.z >= 5.0) p.respondToContact(Vector3(0, 0, -1), glass_);
            if (objects_ != nullptr)
                for (GenericObject* object : *objects_)
                    if (object->contains(q)) p.respondToContact(object->normalAt(q, p.velocity), glass_);
            p.integrate(dt);
        }
    }

    const MassPoint& point(int n) const { return nodes_[size_t(n)]->point; }

private:
    struct Node {
        Node(const Vector3& position, double mass) : point(position, mass) {}
        MassPoint point;
        std::vector<Spring*> springs;
        std::vector<int> ends;
    };
    Node* at(int i, int j, int k) { return nodes_[size_t((i * n_ + j) * n_ + k)]; }
    void link(Node* a, Node* b, double rest, double stiffness, double damping)
    {
        Spring* s = new Spring(&a->point, &b->point, rest, stiffness, damping);
        springs_.push_back(s);
        a->springs.push_back(s);
        a->ends.push_back(1);
        b->springs.push_back(s);
        b->ends.push_back(2);
    }

    int n_;  ///< nodes along each axis of a cube; 0 for a copied lattice
    bool glass_;
    bool gravity_;
    const std::vector<GenericObject*>* objects_ = nullptr;
    std::vector<Node*> nodes_;
    std::vector<Spring*> springs_;
};
