#pragma once
// RIB text that the tests of several layers expect: the writer's, the frame
// export's and the RIB checker's. Plain text, so any test can include it.

namespace ribcapture {

inline constexpr const char* kHeader = "##RenderMan RIB-Structure 1.0\nversion 3.03\n";

/// How the frame export opens frame 0 of the default scene, up to the light's
/// attribute: the camera stands directly in the frame, outside every block.
inline constexpr const char* kFrameOpening =
    "FrameBegin 0\n"
    "Display \"blorp000.tif\" \"file\" \"rgba\"\n"
    "Format 400 400 1\n"
    "Projection \"perspective\" \"fov\" [90]\n"
    "Scale 1 1 -1\n"
    "Translate 0 0 -5 \n"
    "Declare \"blur\" \"float\"\n"
    "Declare \"transmitcolor\" \"color\"\n"
    "WorldBegin\n"
    "LightSource \"ambientlight\" 1 \"intensity\" [0.7]\n"
    "Illuminate 1 1\n"
    "Attribute \"light\" \"shadows\" [\"on\"]\n";

}  // namespace ribcapture
