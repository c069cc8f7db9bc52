#pragma once

#include <string>
#include <vector>

class SoftBody;
class World;
struct BodyDescription;
struct SceneDescription;

/// Whether a body's explicit integration can hold together, before and
/// while it runs.
///
/// The step integrates each node as v += a·dt, x += v·dt + a·dt²/2 with the
/// new v: x gains v·dt + 1.5·a·dt². For a vibration mode of the lattice with
/// squared angular frequency λ (an eigenvalue of the springs' stiffness over
/// the node mass) and the springs' damping γ on each node's own velocity,
/// this step amplifies the mode's amplitude each step unless
/// λ·dt² + γ·dt < 2. The stiffest mode of an infinite lattice of these
/// springs (each neighbour pair of a cell, its face diagonals and cell
/// diagonals) has λ = c·k/m: neighbouring planes across one axis swinging
/// opposite along it, so that every spring with a part along that axis
/// pulls at twice its share. Summed over the springs of an inner node that
/// gives c = 52/3 for a solid block, 8 for a sheet and 4 for a chain; a
/// finite lattice's stiffest mode is no stiffer. γ is the damping times the
/// springs of an inner node (26, 8 or 2) over the mass, since each spring
/// damps each end's own velocity.

/// Nodes beyond this many units from the origin, or moving faster than this
/// many units a second, have left any sane bound: a thousand times the room.
constexpr double kSaneBound = 1000.0 * 10.0;

/// The largest time step at which a body of these cell counts, spring
/// stiffness and damping and node mass integrates stably; infinity for a
/// single node, which has no springs.
double largestStableTimeStep(const int cells[3], double stiffness, double damping, double mass);

/// One warning line (no line end) when `body` is past its stable range at
/// `timeStep`, naming body `index` and the largest stable time step; empty
/// otherwise.
std::string stabilityWarning(const BodyDescription& body, int index, double timeStep);

/// The warning lines of every body of `scene` past its stable range, in body order.
std::vector<std::string> stabilityWarnings(const SceneDescription& scene);

/// True while every node's position and velocity is finite and within kSaneBound.
bool isBodySane(const SoftBody& body);

/// The prepared-list index of the first active body that is not sane, or -1.
int firstUnstableBody(const World& world);

/// The report of body `index` found unstable after step `step` (counted
/// from 1): "body 2 went unstable at step 1234 (t = 6.17 s): ..." and why,
/// without a line end.
std::string describeInstability(const World& world, int index, long step);
