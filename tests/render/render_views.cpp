// Draws the shipped meshes as the host sees them into PNG pictures, to look
// at: the tractor outside with its wheels steered, the cab from the driver's
// seat with the cockpit's click areas outlined, and the towing scene to
// scale. A small z-buffered rasteriser, flat shaded, textures from the
// host's surfaces, groups moved by the host's transforms.
//
//   kvq_render_views OUT_DIR
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/orbiterapi.h"
#include "sim/sim.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

struct V3 {
  double x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Unit(V3 a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

// x -> R x + t, and a placement of a whole vessel: turned about y, then moved.
struct Pose {
  double R[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  double t[3] = {0, 0, 0};
  V3 Apply(V3 p) const {
    return {R[0] * p.x + R[1] * p.y + R[2] * p.z + t[0], R[3] * p.x + R[4] * p.y + R[5] * p.z + t[1],
            R[6] * p.x + R[7] * p.y + R[8] * p.z + t[2]};
  }
  V3 Turn(V3 p) const {
    return {R[0] * p.x + R[1] * p.y + R[2] * p.z, R[3] * p.x + R[4] * p.y + R[5] * p.z,
            R[6] * p.x + R[7] * p.y + R[8] * p.z};
  }
};

Pose Placed(double yawDeg, V3 at) {
  Pose p;
  const double a = yawDeg * PI / 180, c = std::cos(a), s = std::sin(a);
  // A positive yaw turns +z towards +x, as the host's rotations do.
  double R[9] = {c, 0, s, 0, 1, 0, -s, 0, c};
  std::copy(R, R + 9, p.R);
  p.t[0] = at.x;
  p.t[1] = at.y;
  p.t[2] = at.z;
  return p;
}

class Canvas {
 public:
  Canvas(int w, int h, V3 eye, V3 look, double fovDeg) : w_(w), h_(h), eye_(eye) {
    fwd_ = Unit(look);
    right_ = Unit(Cross({0, 1, 0}, fwd_));  // left-handed frame: up x forward is right
    up_ = Cross(fwd_, right_);
    f_ = (h / 2.0) / std::tan(fovDeg * PI / 360);
    rgb_.assign(static_cast<size_t>(w * h) * 3, 0);
    depth_.assign(static_cast<size_t>(w * h), 1e30);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Put(x, y, y < h / 2 ? 0x9cb8d8 : 0x6a6e66);
  }
  // Screen position (pixels) and depth, false behind the eye.
  bool Project(V3 p, double* sx, double* sy, double* d) const {
    const V3 q = p - eye_;
    *d = Dot(q, fwd_);
    if (*d < 0.02) return false;
    *sx = w_ / 2.0 + f_ * Dot(q, right_) / *d;
    *sy = h_ / 2.0 - f_ * Dot(q, up_) / *d;
    return true;
  }
  void Triangle(const V3 p[3], const double uv[6], V3 normal, const MATERIAL& m, SURFHANDLE tex) {
    double sx[3], sy[3], d[3];
    for (int i = 0; i < 3; ++i)
      if (!Project(p[i], &sx[i], &sy[i], &d[i])) return;
    // The drawn side is where the corners run clockwise on the screen
    // (y grows downwards here, so the signed area is positive).
    const double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
    if (area <= 0) return;
    const V3 light = Unit({-0.4, 0.8, -0.45});
    const double lit = 0.4 + 0.6 * std::max(0.0, Dot(Unit(normal), light));
    int tw = 0, th = 0;
    const DWORD* px = nullptr;
    if (tex != nullptr && sim::SurfaceSize(tex, &tw, &th)) px = sim::SurfacePixels(tex);
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
    const int x1 = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
    const int y1 = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double cx = x + 0.5, cy = y + 0.5;
        double b[3];
        for (int i = 0; i < 3; ++i) {
          const int j = (i + 1) % 3, k = (i + 2) % 3;
          b[i] = ((sx[j] - cx) * (sy[k] - cy) - (sx[k] - cx) * (sy[j] - cy)) / area;
        }
        if (b[0] < 0 || b[1] < 0 || b[2] < 0) continue;
        // Perspective-correct depth and texture coordinates.
        const double iz = b[0] / d[0] + b[1] / d[1] + b[2] / d[2];
        const double z = 1 / iz;
        const size_t at = static_cast<size_t>(y * w_ + x);
        if (z >= depth_[at]) continue;
        double r = m.diffuse.r, g = m.diffuse.g, bl = m.diffuse.b;
        if (px != nullptr) {
          const double u = (b[0] * uv[0] / d[0] + b[1] * uv[2] / d[1] + b[2] * uv[4] / d[2]) * z;
          const double v = (b[0] * uv[1] / d[0] + b[1] * uv[3] / d[1] + b[2] * uv[5] / d[2]) * z;
          int tx = static_cast<int>(std::floor(u * tw)) % tw, ty = static_cast<int>(std::floor(v * th)) % th;
          if (tx < 0) tx += tw;
          if (ty < 0) ty += th;
          const DWORD c = px[ty * tw + tx];
          r *= ((c >> 16) & 255) / 255.0;
          g *= ((c >> 8) & 255) / 255.0;
          bl *= (c & 255) / 255.0;
        }
        const double a = m.diffuse.a;
        r = r * lit + m.emissive.r * 0.5;
        g = g * lit + m.emissive.g * 0.5;
        bl = bl * lit + m.emissive.b * 0.5;
        if (a < 0.99) {
          const unsigned char* o = &rgb_[at * 3];
          r = r * a + o[0] / 255.0 * (1 - a);
          g = g * a + o[1] / 255.0 * (1 - a);
          bl = bl * a + o[2] / 255.0 * (1 - a);
        } else {
          depth_[at] = z;
        }
        auto ch = [](double v) { return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        rgb_[at * 3] = ch(r);
        rgb_[at * 3 + 1] = ch(g);
        rgb_[at * 3 + 2] = ch(bl);
      }
    }
  }
  void Line(V3 a, V3 b, DWORD colour) {
    for (int i = 0; i <= 400; ++i) {
      double sx, sy, d;
      if (!Project(a + (b - a) * (i / 400.0), &sx, &sy, &d)) continue;
      for (int dy = -1; dy <= 0; ++dy)
        for (int dx = -1; dx <= 0; ++dx) {
          const int x = static_cast<int>(sx) + dx, y = static_cast<int>(sy) + dy;
          if (x >= 0 && y >= 0 && x < w_ && y < h_) Put(x, y, colour);
        }
    }
  }
  bool Save(const std::string& path) const {
    return stbi_write_png(path.c_str(), w_, h_, 3, rgb_.data(), w_ * 3) != 0;
  }

 private:
  void Put(int x, int y, DWORD c) {
    unsigned char* o = &rgb_[static_cast<size_t>(y * w_ + x) * 3];
    o[0] = (c >> 16) & 255;
    o[1] = (c >> 8) & 255;
    o[2] = c & 255;
  }
  int w_, h_;
  V3 eye_, fwd_{}, right_{}, up_{};
  double f_;
  std::vector<unsigned char> rgb_;
  std::vector<double> depth_;
};

// Every shown mesh of a vessel, groups moved by the host's transforms and
// hidden by their flags, the device mesh's materials where it has one; then
// placed by `place`.
void DrawVessel(Canvas* c, OBJHANDLE h, const Pose& place, bool cockpit) {
  int n = 0;
  const sim::GroupTransform* moved = sim::GroupTransforms(h, &n);
  for (int mi = 0; mi < sim::VesselMeshCount(h); ++mi) {
    sim::VesselMeshInfo info{};
    if (!sim::GetVesselMesh(h, mi, &info) || !info.shown) continue;
    if (!(info.visibility & (cockpit ? MESHVIS_COCKPIT : MESHVIS_EXTERNAL))) continue;
    const sim::MeshFile* mesh = sim::MeshData(info.mesh);
    DEVMESHHANDLE dev = sim::GetVesselDevMesh(h, mi);
    for (size_t gi = 0; gi < mesh->groups.size(); ++gi) {
      const sim::MeshFileGroup& g = mesh->groups[gi];
      if ((g.flags & 2) || (dev && sim::GroupHidden(dev, static_cast<DWORD>(gi)))) continue;
      Pose gp;
      for (int k = 0; k < n; ++k) {
        if (moved[k].mesh == mi && moved[k].group == static_cast<int>(gi)) {
          std::copy(moved[k].R, moved[k].R + 9, gp.R);
          std::copy(moved[k].t, moved[k].t + 3, gp.t);
        }
      }
      MATERIAL m{{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, 0};
      if (g.material >= 0) {
        if (!(dev && sim::GetMaterial(dev, g.material, &m))) m = mesh->materials[static_cast<size_t>(g.material)];
      }
      SURFHANDLE tex = g.texture > 0 ? oapiGetTextureHandle(info.mesh, static_cast<DWORD>(g.texture)) : nullptr;
      for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
        V3 p[3];
        double uv[6];
        for (int k = 0; k < 3; ++k) {
          const size_t vi = g.indices[t + static_cast<size_t>(k)];
          const V3 local{g.positions[3 * vi] + info.ofs.x, g.positions[3 * vi + 1] + info.ofs.y,
                         g.positions[3 * vi + 2] + info.ofs.z};
          p[k] = place.Apply(gp.Apply(local));
          uv[2 * k] = g.uvs[2 * vi];
          uv[2 * k + 1] = g.uvs[2 * vi + 1];
        }
        c->Triangle(p, uv, Cross(p[1] - p[0], p[2] - p[0]), m, tex);
      }
    }
  }
}

OBJHANDLE Make(const char* name, const char* cls) {
  std::string error;
  OBJHANDLE h = sim::CreateLandedVessel(name, cls, 0, 0, 0, &error);
  if (h == nullptr) std::fprintf(stderr, "kvq_render_views: %s: %s\n", name, error.c_str());
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kvq_render_views OUT_DIR\n");
    return 2;
  }
  const std::string out = argv[1];
  sim::Options o;
  o.root = KVQ_ROOT;
  std::string error;
  if (!sim::Start(o, &error)) {
    std::fprintf(stderr, "kvq_render_views: %s\n", error.c_str());
    return 1;
  }
  OBJHANDLE tug = Make("Tug", "KVQ_R7700");
  OBJHANDLE bar = Make("Bar", "Towbar");
  OBJHANDLE jet = Make("Jet", "Airliner");
  OBJHANDLE crew = Make("Walker", "UMmu");
  if (!tug || !bar || !jet || !crew) return 1;
  VESSEL* v = oapiGetVesselInterface(tug);
  sim::SetVisual(tug, true);
  // Steered hard right, wheels rolled a quarter turn, gear 2, lights on.
  v->SetAnimation(0, 0.05);  // front left
  v->SetAnimation(1, 0.95);  // front right
  for (UINT a = 4; a < 8; ++a) v->SetAnimation(a, 0.25);
  bool ok = true;
  {
    Canvas c(960, 640, {-6.5, 3.6, 9.0}, V3{6.5, -2.6, -8.6}, 40);
    DrawVessel(&c, tug, Pose(), false);
    ok &= c.Save(out + "/tractor_outside.png");
  }
  {
    Canvas c(960, 640, {7.5, 1.6, -6.0}, V3{-7.5, -0.9, 6.0}, 40);
    DrawVessel(&c, tug, Pose(), false);
    ok &= c.Save(out + "/tractor_rear.png");
  }
  {
    // From below, the front down, the right side right: steered right, the
    // right (inner) wheel turned further.
    Canvas c(640, 800, {0, -14, 0.6}, V3{0, 1, 0.02}, 40);
    DrawVessel(&c, tug, Pose(), false);
    ok &= c.Save(out + "/tractor_below.png");
  }
  // The cab from the driver's seat with the click areas outlined.
  ok &= sim::VCEnter(0);
  v->SetControlSurfaceLevel(AIRCTRL_RUDDER, 0.6);  // the steering wheel turned
  sim::RunFrame();
  VECTOR3 eye{}, dir{};
  v->GetCameraOffset(eye);
  v->GetCameraDefaultDirection(dir);
  const char* names[3] = {"/cockpit.png", "/cockpit_console.png", "/cockpit_shelf.png"};
  const V3 eyes[3] = {{eye.x, eye.y, eye.z}, {-0.25, 1.62, 3.55}, {-0.42, 1.45, 3.30}};
  const V3 looks[3] = {{dir.x, dir.y, dir.z}, {0.05, -0.6, 0.8}, {0.45, -0.55, 0.45}};
  for (int view = 0; view < 3; ++view) {
    Canvas c(960, 640, eyes[view], looks[view], view ? 45 : 70);
    DrawVessel(&c, tug, Pose(), true);
    for (const sim::VCAreaInfo& a : sim::VCAreas()) {
      if (a.clickMode == 1) {
        const V3 q[4] = {{a.quad[0].x, a.quad[0].y, a.quad[0].z}, {a.quad[1].x, a.quad[1].y, a.quad[1].z},
                         {a.quad[3].x, a.quad[3].y, a.quad[3].z}, {a.quad[2].x, a.quad[2].y, a.quad[2].z}};
        for (int k = 0; k < 4; ++k) c.Line(q[k], q[(k + 1) % 4], 0x00ff40);
      } else if (a.clickMode == 2) {
        const V3 m{a.centre.x, a.centre.y, a.centre.z};
        for (int k = 0; k < 24; ++k) {
          const double a0 = 2 * PI * k / 24, a1 = 2 * PI * (k + 1) / 24;
          c.Line(m + V3{std::cos(a0), std::sin(a0), 0} * a.radius, m + V3{std::cos(a1), std::sin(a1), 0} * a.radius,
                 0xff40ff);
        }
      }
    }
    ok &= c.Save(out + names[view]);
  }
  // The towing scene: the towbar on the front mount, the airliner's tow
  // point on the towbar's far end, facing the tractor; a crew member beside.
  {
    Canvas c(1280, 720, {-24, 14, -10}, V3{24, -13, 22}, 50);
    DrawVessel(&c, tug, Pose(), false);
    DrawVessel(&c, bar, Placed(0, {0, 0.45, 5.0}), false);
    // Ground 3 m under the airliner's origin; its tow point (0, -2.54,
    // 11.5) turned half round lands on the towbar's eye at z 11.5.
    DrawVessel(&c, jet, Placed(180, {0, 3.0, 23.0}), false);
    DrawVessel(&c, crew, Placed(30, {-2.5, 0, 3.0}), false);
    ok &= c.Save(out + "/towing_scene.png");
  }
  sim::Shutdown();
  if (!ok) std::fprintf(stderr, "kvq_render_views: a picture could not be written\n");
  return ok ? 0 : 1;
}
