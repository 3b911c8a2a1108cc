#include "cockpit/vc_layout.h"

const CockpitPosition COCKPIT_POSITIONS[COCKPIT_POSITION_COUNT] = {
    {{-0.6, 1.8, 3.5}, {0, -0.17365, 0.98481}, {2, 1, -1, -1}, true},  // left seat, 10 degrees down
    {{0.6, 1.8, 3.5}, {0, 0, 1}, {0, 3, -1, -1}, true},                // right seat
    {{-1.25, 2.1, 4.1}, {0, 0, -1}, {0, 0, -1, -1}, false},            // looking back, left
    {{1.25, 2.1, 4.1}, {0, 0, -1}, {1, 1, -1, -1}, false},             // looking back, right
};

namespace {

constexpr VCArea Plain(int id, int redraw, int mouse) { return {id, redraw, mouse, ClickShape::NONE, {}, 0}; }

constexpr VCArea Quad(int id, int redraw, int mouse, VECTOR3 p1, VECTOR3 p2, VECTOR3 p3, VECTOR3 p4) {
  return {id, redraw, mouse, ClickShape::QUADRILATERAL, {p1, p2, p3, p4}, 0};
}

constexpr VCArea Sphere(int id, int redraw, int mouse, VECTOR3 centre, double radius) {
  return {id, redraw, mouse, ClickShape::SPHERE, {centre, {}, {}, {}}, radius};
}

constexpr int LB_DOWN_UP = PANEL_MOUSE_LBDOWN | PANEL_MOUSE_LBUP;

// The four keys under the status display differ only in x.
constexpr VCArea DisplayKey(int id, double xLeft, double xRight) {
  return Quad(id, PANEL_REDRAW_MOUSE, LB_DOWN_UP, {xLeft, 1.35905, 4.00576}, {xRight, 1.35905, 4.00576},
              {xLeft, 1.34971, 3.98473}, {xRight, 1.34971, 3.98473});
}

}  // namespace

const VCArea VC_AREAS[VC_AREA_COUNT] = {
    Plain(1, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_IGNORE),  // gauges
    Plain(4, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_IGNORE),  // pedals and steering wheel
    Plain(3, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_IGNORE),  // status display (registered on its texture)
    Quad(5, PANEL_REDRAW_MOUSE, PANEL_MOUSE_LBDOWN, {-0.05, 1.11, 3.65}, {-0.02, 1.11, 3.65}, {-0.05, 1.06, 3.41},
         {-0.02, 1.06, 3.41}),  // parking-brake lever
    Quad(6, PANEL_REDRAW_MOUSE, PANEL_MOUSE_LBPRESSED, {-0.2, 1.11, 3.8}, {-0.07, 1.11, 3.8}, {-0.2, 1.11, 3.55},
         {-0.07, 1.11, 3.55}),  // gear lever
    Quad(8, PANEL_REDRAW_MOUSE, PANEL_MOUSE_LBDOWN, {-0.916925, 1.42634, 4.08132}, {-0.890141, 1.42634, 4.08132},
         {-0.916925, 1.40218, 4.05076}, {-0.890141, 1.40218, 4.05076}),  // beacon switch
    Quad(7, PANEL_REDRAW_MOUSE, PANEL_MOUSE_LBDOWN, {-0.916925, 1.47355, 4.14106}, {-0.890141, 1.47355, 4.14106},
         {-0.916925, 1.4494, 4.11051}, {-0.890141, 1.4494, 4.11051}),  // light switch
    Quad(9, PANEL_REDRAW_MOUSE, PANEL_MOUSE_LBDOWN, {-0.0445655, 1.35983, 3.98485}, {-0.0177821, 1.35983, 3.98485},
         {-0.0445655, 1.34402, 3.94926}, {-0.0177821, 1.34402, 3.94926}),                   // realism switch
    Sphere(15, PANEL_REDRAW_ALWAYS, PANEL_MOUSE_DOWN, {-0.133891, 1.24728, 3.91843}, 0.1),  // steering-mode knob
    Quad(10, PANEL_REDRAW_MOUSE, LB_DOWN_UP, {-0.0431838, 1.26864, 3.91248}, {-0.0188163, 1.26864, 3.91248},
         {-0.0431837, 1.24701, 3.90126}, {-0.0188162, 1.24701, 3.90126}),  // refuel button
    DisplayKey(11, -0.306507, -0.283493),
    DisplayKey(12, -0.256507, -0.233493),
    DisplayKey(13, -0.206507, -0.183493),
    DisplayKey(14, -0.156507, -0.133493),
    Quad(16, PANEL_REDRAW_NEVER, PANEL_MOUSE_LBPRESSED, {-0.98, 1.1, 3.7}, {-0.98, 1.1, 4.0}, {-0.98, 1.3, 3.7},
         {-0.98, 1.3, 4.0}),  // left door
    Quad(17, PANEL_REDRAW_NEVER, PANEL_MOUSE_LBPRESSED, {0.98, 1.1, 3.7}, {0.98, 1.1, 4.0}, {0.98, 1.3, 3.7},
         {0.98, 1.3, 4.0}),  // right door
};
