// Meshes from the simulator's mesh files under Meshes/, their device
// instances per visual, and textures as pixel surfaces.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/win.h"
#include "sim/texture_file.h"
#include "sim/world.h"

namespace host {
namespace {

bool ReadWholeFile(FILE* f, std::string* text, std::string* error) {
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    *error = "cannot be read";
    return false;
  }
  if (static_cast<unsigned long>(size) > sim::MESH_FILE_MAX_BYTES) {
    *error = "larger than 64 MiB";
    return false;
  }
  text->resize(static_cast<size_t>(size));
  if (size > 0 && std::fread(text->data(), 1, text->size(), f) != text->size()) {
    *error = "cannot be read";
    return false;
  }
  return true;
}

void LoadTextures(Mesh* m) {
  m->textures.clear();
  for (size_t i = 0; i < m->data.textures.size(); ++i) {
    const std::string path = TextureFilePath(m->data.textures[i]);
    auto s = std::make_unique<Surface>();
    std::string error;
    if (LoadTextureFile(path, s.get(), &error)) {
      s->version = NextStamp();
      m->textures.push_back(std::move(s));
      continue;
    }
    std::string shown = path;
    for (char& c : shown) if (c == '\\') c = '/';
    std::fprintf(stderr, "host: mesh %s: texture %zu %s: %s; its groups are drawn untextured\n", m->name.c_str(), i + 1,
                 shown.c_str(), error.c_str());
    m->textures.push_back(nullptr);
    for (sim::MeshFileGroup& g : m->data.groups) {
      if (g.texture == static_cast<int>(i + 1)) g.texture = 0;
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
  std::string shown = path;
  for (char& c : shown) if (c == '\\') c = '/';
  if (FILE* f = OpenHostFile(path.c_str(), "rb")) {
    std::string text, error;
    int line = 0;
    const bool read = ReadWholeFile(f, &text, &error);
    std::fclose(f);
    if (!read) {
      std::fprintf(stderr, "host: %s %s; using an empty mesh\n", shown.c_str(), error.c_str());
    } else if (!sim::ParseMeshFile(text, &m->data, &line, &error)) {
      std::fprintf(stderr, "host: %s:%d: %s; using an empty mesh\n", shown.c_str(), line, error.c_str());
    } else {
      LoadTextures(m.get());
    }
  } else {
    std::fprintf(stderr, "host: mesh %s not found (%s); using an empty mesh\n", name, shown.c_str());
  }
  w.meshes.push_back(std::move(m));
  return w.meshes.back().get();
}

Surface* AsSurface(SURFHANDLE s) { return static_cast<Surface*>(s); }

void KeepOriginal(Surface* s) {
  if (s == nullptr || !s->original.empty()) return;
  s->original = s->pixels;
  s->dirtyLo.assign(static_cast<size_t>(s->h), s->w);
  s->dirtyHi.assign(static_cast<size_t>(s->h), 0);
}

void MarkDrawn(Surface* s, int y, int x0, int x1) {
  if (y < 0 || y >= s->h || x0 >= x1) return;
  s->version = NextStamp();
  if (s->watch != nullptr && (y < s->watch->top || y >= s->watch->bottom || x0 < s->watch->left || x1 > s->watch->right))
    s->drawnOutside = true;
  if (s->dirtyLo.empty()) return;
  int& lo = s->dirtyLo[static_cast<size_t>(y)];
  int& hi = s->dirtyHi[static_cast<size_t>(y)];
  if (x0 < lo) lo = x0 < 0 ? 0 : x0;
  if (x1 > hi) hi = x1 > s->w ? s->w : x1;
}

void RestoreOriginal(Surface* s, int x0, int y0, int x1, int y1) {
  if (s == nullptr || s->dirtyLo.empty() || s->original.size() != s->pixels.size()) return;
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > s->w) x1 = s->w;
  if (y1 > s->h) y1 = s->h;
  for (int y = y0; y < y1; ++y) {
    int& lo = s->dirtyLo[static_cast<size_t>(y)];
    int& hi = s->dirtyHi[static_cast<size_t>(y)];
    const int a = lo > x0 ? lo : x0, b = hi < x1 ? hi : x1;
    if (a >= b) continue;
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(s->w) + static_cast<size_t>(a);
    const size_t bytes = static_cast<size_t>(b - a) * sizeof(DWORD);
    if (std::memcmp(&s->pixels[at], &s->original[at], bytes) != 0) {
      std::memcpy(&s->pixels[at], &s->original[at], bytes);
      s->version = NextStamp();
    }
    // The span shrinks only where the restored columns reach one of its ends.
    if (a == lo && b == hi) {
      lo = s->w;
      hi = 0;
    } else if (a == lo) {
      lo = b;
    } else if (b == hi) {
      hi = a;
    }
  }
}

void CreateVisual(Vessel* v) {
  if (v->visual) return;
  v->visual = std::make_unique<Visual>();
  v->visual->owner = v;
  for (const auto& vm : v->meshes) {
    auto d = std::make_unique<DevMesh>();
    d->version = NextStamp();
    if (vm.mesh != nullptr) {
      d->tmpl = vm.mesh;
      d->groups.resize(vm.mesh->data.groups.size());
      for (size_t g = 0; g < d->groups.size(); ++g) d->groups[g].userFlag = vm.mesh->data.groups[g].flags;
      d->materials = vm.mesh->data.materials;
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
  if (m == nullptr || texidx == 0 || texidx > m->textures.size()) return nullptr;  // null where unreadable too
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
    // A row that already holds what the copy would put there changes nothing.
    if (ck == SURF_NO_CK && std::memcmp(d, p, static_cast<size_t>(w) * sizeof(DWORD)) == 0) continue;
    host::MarkDrawn(t, tgty + r, tgtx, tgtx + w);
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
  MATERIAL& m = d->materials[static_cast<size_t>(mat_idx)];
  if (std::memcmp(&m, mat, sizeof m) != 0) {
    m = *mat;
    d->version = host::NextStamp();
  }
  return 0;
}

int oapiEditMeshGroup(DEVMESHHANDLE hMesh, DWORD grpidx, GROUPEDITSPEC* ges) {
  auto* d = static_cast<host::DevMesh*>(hMesh);
  if (d == nullptr || ges == nullptr || grpidx >= d->groups.size()) return -1;
  DWORD& f = d->groups[grpidx].userFlag;
  const DWORD before = f;
  if (ges->flags & GRPEDIT_SETUSERFLAG) f = ges->UsrFlag;
  if (ges->flags & GRPEDIT_ADDUSERFLAG) f |= ges->UsrFlag;
  if (ges->flags & GRPEDIT_DELUSERFLAG) f &= ~ges->UsrFlag;
  if (f != before) d->version = host::NextStamp();
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

uint64_t SurfaceVersion(SURFHANDLE s) {
  Surface* p = AsSurface(s);
  return p ? p->version : 0;
}

const char* MeshName(MESHHANDLE m) {
  auto* p = static_cast<host::Mesh*>(m);
  return p ? p->name.c_str() : nullptr;
}

const MeshFile* MeshData(MESHHANDLE m) {
  auto* p = static_cast<host::Mesh*>(m);
  return p ? &p->data : nullptr;
}

MESHHANDLE FindLoadedMesh(const char* name) {
  if (name == nullptr) return nullptr;
  for (auto& m : host::W().meshes) {
    if (host::EqualNoCase(m->name.c_str(), name)) return m.get();
  }
  return nullptr;
}

int VesselMeshCount(OBJHANDLE h) {
  host::Vessel* v = host::AsVessel(h);
  return v ? static_cast<int>(v->meshes.size()) : 0;
}

bool GetVesselMesh(OBJHANDLE h, int index, VesselMeshInfo* out) {
  host::Vessel* v = host::AsVessel(h);
  if (v == nullptr || out == nullptr || index < 0 || static_cast<size_t>(index) >= v->meshes.size()) return false;
  const host::VesselMesh& vm = v->meshes[static_cast<size_t>(index)];
  out->mesh = vm.mesh;
  out->name = vm.mesh ? vm.mesh->name.c_str() : "";
  out->ofs = vm.ofs;
  out->visibility = vm.visibility;
  out->shown = vm.visibility != MESHVIS_NEVER && vm.mesh != nullptr && !vm.mesh->data.groups.empty();
  return true;
}

DEVMESHHANDLE GetVesselDevMesh(OBJHANDLE h, int index) {
  host::Vessel* v = host::AsVessel(h);
  if (v == nullptr || !v->visual || index < 0 || static_cast<size_t>(index) >= v->visual->meshes.size()) return nullptr;
  return v->visual->meshes[static_cast<size_t>(index)].get();
}

uint64_t DevMeshVersion(DEVMESHHANDLE d) {
  auto* p = static_cast<host::DevMesh*>(d);
  return p ? p->version : 0;
}

bool MaterialChanged(DEVMESHHANDLE d, int idx) {
  auto* p = static_cast<host::DevMesh*>(d);
  if (p == nullptr || p->tmpl == nullptr || idx < 0 || static_cast<size_t>(idx) >= p->materials.size()) return false;
  const std::vector<MATERIAL>& file = p->tmpl->data.materials;
  return static_cast<size_t>(idx) >= file.size() ||
         std::memcmp(&p->materials[static_cast<size_t>(idx)], &file[static_cast<size_t>(idx)], sizeof(MATERIAL)) != 0;
}

bool GroupHidden(DEVMESHHANDLE d, DWORD grp) {
  auto* p = static_cast<host::DevMesh*>(d);
  return p != nullptr && grp < p->groups.size() && (p->groups[grp].userFlag & 0x2u) != 0;
}

}  // namespace sim
