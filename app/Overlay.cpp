#include "app/Overlay.h"

#include "app/Options.h"
#include "app/ViewerState.h"
#include "world/World.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {
constexpr float kFloorY = -4.0f;
constexpr float kWallX = 4.0f, kWallZ = 5.0f;
constexpr float kWallTop = 4.0f;  // the top of the fixed view; the walls go on above it
constexpr float kFloorColour[] = {0.22f, 0.26f, 0.38f};
constexpr float kGridColour[] = {0.34f, 0.39f, 0.52f};
constexpr float kWallColour[] = {0.55f, 0.55f, 0.62f};
constexpr float kHelpColour[] = {1.0f, 1.0f, 0.0f};
constexpr float kHelpBackdrop[] = {0.08f, 0.08f, 0.12f};
constexpr float kStatisticsColour[] = {0.4f, 1.0f, 1.0f};
constexpr float kAlertColour[] = {1.0f, 0.45f, 0.3f};

// GLUT's 8 × 13 bitmap font, with a line height that leaves rows apart.
void* const kFont = GLUT_BITMAP_8_BY_13;
constexpr int kCharWidth = 8;
constexpr int kLineHeight = 15;
constexpr int kMargin = 8;

void colour(const float (&rgb)[3]) { glColor3f(rgb[0], rgb[1], rgb[2]); }

void text(int x, int y, const std::string& line)
{
    glRasterPos2i(x, y);
    for (char c : line) glutBitmapCharacter(kFont, static_cast<unsigned char>(c));
}

void rectangle(float left, float bottom, float right, float top)
{
    glBegin(GL_QUADS);
    glVertex3f(left, bottom, 0.0f);
    glVertex3f(right, bottom, 0.0f);
    glVertex3f(right, top, 0.0f);
    glVertex3f(left, top, 0.0f);
    glEnd();
}
}  // namespace

void drawRoom()
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    // Flat colours, seen from either side.
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);

    colour(kFloorColour);
    glBegin(GL_QUADS);
    glVertex3f(-kWallX, kFloorY, -kWallZ);
    glVertex3f(-kWallX, kFloorY, kWallZ);
    glVertex3f(kWallX, kFloorY, kWallZ);
    glVertex3f(kWallX, kFloorY, -kWallZ);
    glEnd();

    colour(kGridColour);
    glBegin(GL_LINES);
    for (float x = -kWallX + 1.0f; x < kWallX; x += 1.0f) {
        glVertex3f(x, kFloorY, -kWallZ);
        glVertex3f(x, kFloorY, kWallZ);
    }
    for (float z = -kWallZ + 1.0f; z < kWallZ; z += 1.0f) {
        glVertex3f(-kWallX, kFloorY, z);
        glVertex3f(kWallX, kFloorY, z);
    }
    glEnd();

    // Each wall's outline: the corners of the room, floor and top.
    colour(kWallColour);
    const float corners[4][2] = {{-kWallX, -kWallZ}, {kWallX, -kWallZ}, {kWallX, kWallZ}, {-kWallX, kWallZ}};
    glBegin(GL_LINES);
    for (int c = 0; c < 4; ++c) {
        const float* a = corners[c];
        const float* b = corners[(c + 1) % 4];
        glVertex3f(a[0], kFloorY, a[1]);
        glVertex3f(a[0], kWallTop, a[1]);
        glVertex3f(a[0], kWallTop, a[1]);
        glVertex3f(b[0], kWallTop, b[1]);
        glVertex3f(a[0], kFloorY, a[1]);
        glVertex3f(b[0], kFloorY, b[1]);
    }
    glEnd();
    glPopAttrib();
}

void drawOverlays(const ViewerState& state, const World& world, double now)
{
    if (!state.showsHelp && !state.showsStatistics && state.alert.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    // Window pixels, origin at the bottom left.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, state.width, 0.0, state.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    if (state.showsHelp) {
        std::istringstream lines(keysText());
        std::vector<std::string> rows;
        size_t widest = 0;
        for (std::string line; std::getline(lines, line);) {
            rows.push_back(line);
            widest = std::max(widest, line.size());
        }
        const int top = state.height - kMargin;
        const int bottom = top - int(rows.size()) * kLineHeight - kMargin;
        colour(kHelpBackdrop);
        rectangle(float(kMargin / 2), float(bottom), float(kMargin * 3 / 2 + int(widest) * kCharWidth),
                  float(state.height - kMargin / 2));
        colour(kHelpColour);
        for (size_t r = 0; r < rows.size(); ++r) text(kMargin, top - int(r + 1) * kLineHeight + 3, rows[r]);
    }
    if (state.showsStatistics) {
        colour(kStatisticsColour);
        text(kMargin, kMargin, state.statisticsLine(world, now));
    }
    if (!state.alert.empty()) {
        // Above the statistics line, the last line lowest, on a backdrop so
        // that it reads over any picture.
        std::istringstream lines(state.alert);
        std::vector<std::string> rows;
        size_t widest = 0;
        for (std::string line; std::getline(lines, line);) {
            rows.push_back(line);
            widest = std::max(widest, line.size());
        }
        const int bottom = kMargin + kLineHeight + kMargin / 2;
        colour(kHelpBackdrop);
        rectangle(float(kMargin / 2), float(bottom - kMargin / 2), float(kMargin * 3 / 2 + int(widest) * kCharWidth),
                  float(bottom + int(rows.size()) * kLineHeight));
        colour(kAlertColour);
        for (size_t r = 0; r < rows.size(); ++r)
            text(kMargin, bottom + int(rows.size() - 1 - r) * kLineHeight + 3, rows[r]);
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
