// Meshes from the host's own text description under Meshes/, their device
// instances per visual, and textures as pixel surfaces.
//
// A mesh file (Meshes/<name>.msh), one item per line, ';' starts a comment:
//   GROUPS 26                  number of groups
//   MATERIALS 10               number of materials (grey by default)
//   TEXTURE 512 512 0x202020   a texture: width, height, optional fill colour;
//                              repeatable, numbered from 1 in order
//   GROUP 3 MATERIAL 2 TEXTURE 1   optional: a group's material and texture
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/world.h"

namespace host {
namespace {

MATERIAL DefaultMaterial() {
  MATERIAL m{};
  m.diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
  m.ambient = {0.8f, 0.8f, 0.8f, 1.0f};
  m.specular = {0, 0, 0, 1.0f};
  m.emissive = {0, 0, 0, 1.0f};
  m.power = 0;
  return m;
}

void ParseMeshFile(FILE* f, Mesh* m) {
  char line[ITEM_LEN];
  while (std::fgets(line, sizeof line, f)) {
    if (char* c = std::strchr(line, ';')) *c = 0;
    char key[32] = {};
    if (std::sscanf(line, "%31s", key) != 1) continue;
    if (EqualNoCase(key, "GROUPS")) {
      int n = 0;
      if (std::sscanf(line, "%*s %d", &n) == 1 && n >= 0 && n < 100000) m->groups.assign(static_cast<size_t>(n), {});
    } else if (EqualNoCase(key, "MATERIALS")) {
      int n = 0;
      if (std::sscanf(line, "%*s %d", &n) == 1 && n >= 0 && n < 100000)
        m->materials.assign(static_cast<size_t>(n), DefaultMaterial());
    } else if (EqualNoCase(key, "TEXTURE")) {
      int w = 0, h = 0;
      unsigned fill = 0;
      const int got = std::sscanf(line, "%*s %d %d %x", &w, &h, &fill);
      if (got < 2 || w <= 0 || h <= 0 || w > 8192 || h > 8192) continue;
      auto s = std::make_unique<Surface>();
      s->w = w;
      s->h = h;
      s->pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), got >= 3 ? fill & 0xFFFFFFu : 0u);
      m->textures.push_back(std::move(s));
    } else if (EqualNoCase(key, "GROUP")) {
      int g = -1, mat = -1, tex = 0;
      if (std::sscanf(line, "%*s %d MATERIAL %d TEXTURE %d", &g, &mat, &tex) >= 1 && g >= 0 &&
          g < static_cast<int>(m->groups.size())) {
        m->groups[static_cast<size_t>(g)].material = mat;
        m->groups[static_cast<size_t>(g)].texture = tex;
      }
    }
  }
}

}  // namespace

Mesh* LoadMesh(const char* name) {
  if (name == nullptr) return nullptr;
  World& w = W();
  for (auto& m : w.meshes) {
    if (EqualNoCase(m->name.c_str(), name)) return m.get();
  }
  auto m = std::make_unique<Mesh>();
  m->name = name;
  std::string path = std::string("Meshes\\") + name;
  if (path.size() < 4 || !EqualNoCase(path.c_str() + path.size() - 4, ".msh")) path += ".msh";
  if (FILE* f = OpenHostFile(path.c_str(), "r")) {
    ParseMeshFile(f, m.get());
    std::fclose(f);
  } else {
    std::fprintf(stderr, "host: mesh %s not found (Meshes/%s.msh); using an empty mesh\n", name, name);
  }
  w.meshes.push_back(std::move(m));
  return w.meshes.back().get();
}

Surface* AsSurface(SURFHANDLE s) { return static_cast<Surface*>(s); }

void CreateVisual(Vessel* v) {
  if (v->visual) return;
  v->visual = std::make_unique<Visual>();
  v->visual->owner = v;
  for (const auto& vm : v->meshes) {
    auto d = std::make_unique<DevMesh>();
    if (vm.mesh != nullptr) {
      d->tmpl = vm.mesh;
      d->groups = vm.mesh->groups;
      d->materials = vm.mesh->materials;
    }
    v->visual->meshes.push_back(std::move(d));
  }
  CallbackScope scope;
  v->iface->clbkVisualCreated(v->visual.get(), 1);
}

void DestroyVisual(Vessel* v) {
  if (!v->visual) return;
  {
    CallbackScope scope;
    v->iface->clbkVisualDestroyed(v->visual.get(), 1);
  }
  v->visual.reset();
}

}  // namespace host

using host::AsSurface;
using host::Surface;

MESHHANDLE oapiLoadMeshGlobal(const char* fname) { return host::LoadMesh(fname); }

SURFHANDLE oapiGetTextureHandle(MESHHANDLE hMesh, DWORD texidx) {
  auto* m = static_cast<host::Mesh*>(hMesh);
  if (m == nullptr || texidx == 0 || texidx > m->textures.size()) return nullptr;
  return m->textures[texidx - 1].get();
}

bool oapiBlt(SURFHANDLE tgt, SURFHANDLE src, int tgtx, int tgty, int srcx, int srcy, int w, int h, DWORD ck) {
  Surface* t = AsSurface(tgt);
  Surface* s = AsSurface(src);
  if (t == nullptr || s == nullptr || w <= 0 || h <= 0) return false;
  // Clip to both surfaces.
  if (srcx < 0) { w += srcx; tgtx -= srcx; srcx = 0; }
  if (srcy < 0) { h += srcy; tgty -= srcy; srcy = 0; }
  if (tgtx < 0) { w += tgtx; srcx -= tgtx; tgtx = 0; }
  if (tgty < 0) { h += tgty; srcy -= tgty; tgty = 0; }
  if (srcx + w > s->w) w = s->w - srcx;
  if (srcy + h > s->h) h = s->h - srcy;
  if (tgtx + w > t->w) w = t->w - tgtx;
  if (tgty + h > t->h) h = t->h - tgty;
  if (w <= 0 || h <= 0) return false;
  // Rows in an order that is safe when source and target overlap.
  const bool up = (t == s && tgty > srcy);
  for (int k = 0; k < h; ++k) {
    const int r = up ? h - 1 - k : k;
    DWORD* d = &t->pixels[static_cast<size_t>(tgty + r) * static_cast<size_t>(t->w) + static_cast<size_t>(tgtx)];
    const DWORD* p = &s->pixels[static_cast<size_t>(srcy + r) * static_cast<size_t>(s->w) + static_cast<size_t>(srcx)];
    if (ck == SURF_NO_CK) {
      std::memmove(d, p, static_cast<size_t>(w) * sizeof(DWORD));
    } else if (d <= p) {
      for (int i = 0; i < w; ++i) {
        if (p[i] != (ck & 0xFFFFFFu)) d[i] = p[i];
      }
    } else {
      for (int i = w - 1; i >= 0; --i) {
        if (p[i] != (ck & 0xFFFFFFu)) d[i] = p[i];
      }
    }
  }
  return true;
}

int oapiSetMaterial(DEVMESHHANDLE hMesh, int mat_idx, const MATERIAL* mat) {
  auto* d = static_cast<host::DevMesh*>(hMesh);
  if (d == nullptr || mat == nullptr || mat_idx < 0 || static_cast<size_t>(mat_idx) >= d->materials.size()) return 1;
  d->materials[static_cast<size_t>(mat_idx)] = *mat;
  return 0;
}

int oapiEditMeshGroup(DEVMESHHANDLE hMesh, DWORD grpidx, GROUPEDITSPEC* ges) {
  auto* d = static_cast<host::DevMesh*>(hMesh);
  if (d == nullptr || ges == nullptr || grpidx >= d->groups.size()) return -1;
  DWORD& f = d->groups[grpidx].userFlag;
  if (ges->flags & GRPEDIT_SETUSERFLAG) f = ges->UsrFlag;
  if (ges->flags & GRPEDIT_ADDUSERFLAG) f |= ges->UsrFlag;
  if (ges->flags & GRPEDIT_DELUSERFLAG) f &= ~ges->UsrFlag;
  return 0;
}

namespace sim {

bool SurfaceSize(SURFHANDLE s, int* w, int* h) {
  Surface* p = AsSurface(s);
  if (p == nullptr) return false;
  if (w) *w = p->w;
  if (h) *h = p->h;
  return true;
}

const DWORD* SurfacePixels(SURFHANDLE s) {
  Surface* p = AsSurface(s);
  return p == nullptr || p->pixels.empty() ? nullptr : p->pixels.data();
}

bool GetMaterial(DEVMESHHANDLE m, int idx, MATERIAL* mat) {
  auto* d = static_cast<host::DevMesh*>(m);
  if (d == nullptr || mat == nullptr || idx < 0 || static_cast<size_t>(idx) >= d->materials.size()) return false;
  *mat = d->materials[static_cast<size_t>(idx)];
  return true;
}

DWORD GetGroupUserFlag(DEVMESHHANDLE m, DWORD grp) {
  auto* d = static_cast<host::DevMesh*>(m);
  if (d == nullptr || grp >= d->groups.size()) return 0;
  return d->groups[grp].userFlag;
}

}  // namespace sim
