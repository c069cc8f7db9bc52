#pragma once

#include "world/SurfaceMesh.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class World;

/// The simulation as files that animation tools read, in one directory:
/// - blorp.NNNN.obj, one Wavefront OBJ file per frame: every active body an
///   `o body-K` object (its SurfaceMesh with vertex normals, and texture
///   coordinates on its bottom side), every scene object an `o box-N` or
///   `o sphere-N` object;
/// - body-K.obj, each body's surface as it first entered the cache (the
///   rest mesh), and body-K.pc2, a PC2 point cache of that surface's
///   vertices, in the same order, one sample per frame.
/// Frames are numbered as the RIB export numbers them: record() is called
/// once per world step and writes on its first call and on every eighth
/// after it. Bodies are numbered from 1 in the order the cache first sees
/// them; a body that joins later starts its point cache at that frame.
///
/// Every file is whole at any moment: an OBJ file appears under its name
/// only when it is complete, and a point cache's header counts only samples
/// that are already written. After the first failure nothing more is
/// written and failure() says which file and why.
class MeshCache {
public:
    /// Steps between two frames, as in the RIB export.
    static constexpr int kFrameInterval = 8;
    /// PC2 header: the magic text with its terminating zero, then five 32-bit fields.
    static constexpr char kPc2Magic[12] = "POINTCACHE2";
    static constexpr long kPc2SampleCountOffset = 28;
    static constexpr long kPc2HeaderSize = 32;

    explicit MeshCache(std::string directory);
    ~MeshCache();
    MeshCache(const MeshCache&) = delete;
    MeshCache& operator=(const MeshCache&) = delete;

    /// Makes the directory if it does not exist (its parent must). False,
    /// with failure() set, when it cannot be made or is not a directory.
    bool open();
    /// One world step has been taken: on every kFrameInterval-th call, from
    /// the first, writes a frame of `world`.
    void record(const World& world);
    /// The world is being replaced: its bodies' point caches are complete,
    /// and the next world's bodies are new bodies with numbers of their own.
    void startWorld();
    /// Closes the point caches. Safe to call more than once.
    void finish();

    bool hasFailed() const { return !failureText.empty(); }
    /// "cannot write PATH: REASON" after a failure; empty before.
    const std::string& failure() const { return failureText; }
    const std::string& directory() const { return root; }
    long framesWritten() const { return frames; }

private:
    struct Track {
        int number = 0;  // the K of body-K
        SurfaceMesh mesh;
        std::FILE* pointCache = nullptr;
        std::int32_t samples = 0;
    };

    std::string path(const std::string& name) const { return root + "/" + name; }
    bool fail(const std::string& file, int error);
    bool writeObj(const std::string& name, const std::string& text);
    bool beginTrack(Track& track, const std::vector<Vector3>& positions, int frame);
    bool appendSample(Track& track, const std::vector<Vector3>& positions);
    void closeTracks();

    std::string root;
    std::string failureText;
    long calls = 0;
    long frames = 0;
    int bodiesSeen = 0;
    std::vector<Track> tracks;  // one per active body of the current world, in activation order
};
