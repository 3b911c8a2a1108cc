#include "tests/crew/crew_test_root.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "crew/crew_module.h"
#include "tests/support/platform.h"

namespace fs = std::filesystem;

namespace {

void LinkEntries(const fs::path& from, const fs::path& to, const std::vector<std::string>& except) {
  fs::create_directories(to);
  for (const auto& e : fs::directory_iterator(from)) {
    const std::string name = e.path().filename().string();
    bool skip = false;
    for (const auto& x : except) skip = skip || name == x;
    if (!skip) testsupport::ShareEntry(e.path(), to / name);
  }
}

}  // namespace

std::string MakeTestRoot(const TestRootOptions& options) {
  const fs::path root = testsupport::MakeScratchFolder("kvq_crew_root_"), source(KVQ_ROOT);
  if (root.empty()) return "";
  LinkEntries(source, root, {"Modules", "Config", "Meshes"});
  LinkEntries(source / "Modules", root / "Modules", options.library ? std::vector<std::string>{}
                                                                      : std::vector<std::string>{"UMmu.dll"});
  LinkEntries(source / "Config", root / "Config", {"UMMUIdConfig", "UMmutmp.cfg", "UMmutmpT.cfg"});
  LinkEntries(source / "Meshes", root / "Meshes", {"UMmu"});
  LinkEntries(source / "Meshes" / "UMmu", root / "Meshes" / "UMmu", {"ver.dtf"});  // the suits, not the version
  if (options.version != nullptr) std::ofstream(root / "Meshes" / "UMmu" / "ver.dtf") << options.version << "\n";
  if (!options.functionFiles.empty()) {
    fs::create_directories(root / "Config" / "UMMUIdConfig");
    for (const auto& f : options.functionFiles) std::ofstream(root / "Config" / "UMMUIdConfig" / f) << "\n";
  }
  return root.string();
}

void RemoveTestRoot(const std::string& root) {
  std::error_code ec;
  if (!root.empty()) fs::remove_all(root, ec);
}

bool StartHost(const TestRootOptions& options, std::string* root, std::string* error) {
  *root = MakeTestRoot(options);
  if (root->empty()) {
    *error = "no temporary root";
    return false;
  }
  ResetCrewAddonVersionCache();
  sim::Options o;
  o.root = *root;
  return sim::Start(o, error);
}

KVQ_R7700* Tractor(OBJHANDLE h) { return dynamic_cast<KVQ_R7700*>(oapiGetVesselInterface(h)); }

OBJHANDLE CreateTractor(const char* name, double lng, double lat, double hdg) {
  std::string error;
  return sim::CreateLandedVessel(name, "KVQ_R7700", lng, lat, hdg, &error);
}

void StandAt(OBJHANDLE vessel, OBJHANDLE ref, const VECTOR3& point) {
  VESSEL* v = oapiGetVesselInterface(vessel);
  VESSEL* r = oapiGetVesselInterface(ref);
  VESSELSTATUS2 s{};
  s.version = 2;
  r->GetStatusEx(&s);
  VECTOR3 target, refGlobal;
  r->Local2Global(point, target);
  r->GetGlobalPos(refGlobal);
  s.rpos = s.rpos + (target - refGlobal);
  s.rvel = _V(0, 0, 0);
  s.status = 0;
  // Upright, as the crew vessel carries itself once it walks.
  v->SetTouchdownPoints(_V(0, -1, 0.2), _V(-0.2, -1, -0.2), _V(0.2, -1, -0.2));
  v->DefSetStateEx(&s);
  VESSELSTATUS2 landed{};
  landed.version = 2;
  v->GetStatusEx(&landed);
  landed.status = 1;
  v->DefSetStateEx(&landed);
}

bool AirlockVectors(OBJHANDLE vessel, VECTOR3* pos, VECTOR3* dir, VECTOR3* rot) {
  VESSEL* v = oapiGetVesselInterface(vessel);
  for (DWORD i = 0; v != nullptr && i < v->AttachmentCount(false); ++i) {
    ATTACHMENTHANDLE a = v->GetAttachmentHandle(false, i);
    if (std::strcmp(v->GetAttachmentId(a), "UMmu") != 0) continue;
    v->GetAttachmentParams(a, *pos, *dir, *rot);
    return true;
  }
  return false;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
