// Mesh files in the simulator's text format: what is read from a good file,
// and bad files refused with the line at fault, before anything large is
// allocated; the host then gives the vessel an empty mesh.
#include <gtest/gtest.h>

#include <string>

#include "sim/mesh_file.h"
#include "tests/host/fixture.h"

namespace {

const char* const TWO_GROUPS =
    "MSHX1\n"
    "GROUPS 3\n"
    "LABEL plate ; a comment\n"
    "MATERIAL 2\n"
    "TEXTURE 1\n"
    "FLAG 12\n"
    "GEOM 3 1\n"
    "0 0 0 0 0 -1 0 1\n"
    "0 1 0 0 0 -1 0 0\n"
    "1 0 0 0 0 -1 1 1\n"
    "0 1 2\n"
    "NONORMAL\n"
    "GEOM 3 1\n"
    "0 0 0 0.25 0.5\n"
    "0 1 0 0.25 0.5\n"
    "1 0 0 0.25 0.5\n"
    "0 1 2\n"
    "\n"
    "MATERIAL 0\n"
    "TEXTURE 0\n"
    "GEOM 0 0\n"
    "MATERIALS 2\n"
    "grey\n"
    "lamp\n"
    "MATERIAL lamp\n"
    "0 1 0 1\n"
    "0 0.5 0 1\n"
    "1 1 1 1 40\n"
    "0 0.8 0 1\n"
    "MATERIAL grey\n"
    "0.5 0.5 0.5 1\n"
    "0.5 0.5 0.5 1\n"
    "0 0 0 1\n"
    "0 0 0 1\n"
    "TEXTURES 1\n"
    "panel.dds D\n";

struct Bad {
  const char* what;
  std::string text;
  int line;
  const char* message;
};

std::string Header(const char* groups) { return std::string("MSHX1\nGROUPS ") + groups + "\n"; }

}  // namespace

TEST(MeshFile, GroupsMaterialsAndTexturesAreReadAsTheFormatSays) {
  sim::MeshFile m;
  int line = 0;
  std::string error;
  ASSERT_TRUE(sim::ParseMeshFile(TWO_GROUPS, &m, &line, &error)) << line << ": " << error;
  ASSERT_EQ(m.groups.size(), 3u);
  const sim::MeshFileGroup& a = m.groups[0];
  EXPECT_EQ(a.label, "plate");
  EXPECT_EQ(a.material, 1) << "the file's material 2 is the second of the list";
  EXPECT_EQ(a.texture, 1);
  EXPECT_EQ(a.flags, 0x12u) << "flags are hexadecimal";
  EXPECT_EQ(a.VertexCount(), 3u);
  EXPECT_FLOAT_EQ(a.uvs[1], 1.0f);
  EXPECT_EQ(a.indices, (std::vector<uint32_t>{0, 1, 2}));
  // The second group inherits material and texture; without normals its
  // numbers after x y z are u v, and its normals come from its triangle
  // (seen from -z, where its corners run clockwise).
  const sim::MeshFileGroup& b = m.groups[1];
  EXPECT_EQ(b.material, 1);
  EXPECT_EQ(b.texture, 1);
  EXPECT_EQ(b.flags, 0u);
  EXPECT_FLOAT_EQ(b.uvs[0], 0.25f);
  EXPECT_FLOAT_EQ(b.uvs[1], 0.5f);
  EXPECT_FLOAT_EQ(b.normals[2], -1.0f);
  EXPECT_EQ(m.groups[2].material, -1) << "material 0 is the default material";
  EXPECT_EQ(m.groups[2].texture, 0);
  // Material blocks are matched to the list by name, in any order.
  ASSERT_EQ(m.materials.size(), 2u);
  EXPECT_FLOAT_EQ(m.materials[1].emissive.g, 0.8f);
  EXPECT_FLOAT_EQ(m.materials[1].power, 40.0f);
  EXPECT_FLOAT_EQ(m.materials[0].diffuse.r, 0.5f);
  EXPECT_FLOAT_EQ(m.materials[0].power, 0.0f);
  EXPECT_EQ(m.textures, (std::vector<std::string>{"panel.dds"}));
}

TEST(MeshFile, BadFilesAreRefusedWithTheLineAtFault) {
  const std::string tail = "MATERIALS 0\nTEXTURES 0\n";
  const Bad cases[] = {
      {"no header", "GROUPS 1\nGEOM 0 0\n", 1, "MSHX1"},
      {"truncated GEOM", Header("1") + "GEOM 4 2\n0 0 0\n0 1 0\n1 0 0\n", 3, "truncated GEOM"},
      {"index out of range", Header("1") + "GEOM 3 1\n0 0 0\n0 1 0\n1 0 0\n0 1 3\n" + tail, 7,
       "vertex index 3 out of range"},
      {"vertex without z", Header("1") + "GEOM 1 0\n0 1\n" + tail, 4, "x y z"},
      {"absurd group count", Header("4000000000") + "GEOM 0 0\n", 2, "GROUPS 4000000000"},
      {"absurd vertex count", Header("1") + "GEOM 60000 60000\n0 0 0\n", 3, "truncated GEOM"},
      {"more vertices than a group takes", Header("1") + "GEOM 70000 0\n", 3, "at most 65536"},
      {"count that overflows", Header("1") + "GEOM 99999999999999999999 0\n", 3, "GEOM needs"},
      {"more lines than GEOM said", Header("2") + "GEOM 1 0\n0 0 0\n0 1 0\nGEOM 0 0\n" + tail, 5, "group 1 of 2"},
      {"material out of range", Header("1") + "MATERIAL 3\nGEOM 0 0\nMATERIALS 1\nm\nMATERIAL m\n1 1 1 1\n1 1 1 1\n"
                                              "1 1 1 1\n1 1 1 1\n",
       3, "material 3 out of range"},
      {"texture out of range", Header("1") + "TEXTURE 2\nGEOM 0 0\nMATERIALS 0\nTEXTURES 1\nt.dds\n", 3,
       "texture 2 out of range"},
      {"material block of another name",
       Header("1") + "GEOM 0 0\nMATERIALS 1\nm\nMATERIAL x\n1 1 1 1\n1 1 1 1\n1 1 1 1\n1 1 1 1\n", 6, "'x'"},
      {"short colour line", Header("1") + "GEOM 0 0\nMATERIALS 1\nm\nMATERIAL m\n1 1 1\n1 1 1 1\n1 1 1 1\n1 1 1 1\n",
       7, "r g b a"},
      {"a number that is none", Header("1") + "GEOM 1 0\n0 nan 0\n" + tail, 4, "x y z"},
  };
  for (const Bad& c : cases) {
    sim::MeshFile m;
    m.groups.resize(2);
    int line = 0;
    std::string error;
    EXPECT_FALSE(sim::ParseMeshFile(c.text, &m, &line, &error)) << c.what;
    EXPECT_EQ(line, c.line) << c.what << ": " << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    EXPECT_TRUE(m.groups.empty()) << c.what << ": nothing half-read is left";
  }
}

TEST_F(HostTest, ABadMeshFileGivesAnEmptyMeshAndSaysWhereItIsBad) {
  ::testing::internal::CaptureStderr();
  MESHHANDLE bad = oapiLoadMeshGlobal("host_test_truncated");
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_NE(bad, nullptr);
  EXPECT_TRUE(sim::MeshData(bad)->groups.empty());
  EXPECT_EQ(oapiGetTextureHandle(bad, 1), nullptr);
  EXPECT_NE(said.find("Meshes/host_test_truncated.msh:6: truncated GEOM"), std::string::npos) << said;
  // A vessel with it has a mesh without groups; its visual and edits work.
  OBJHANDLE a = Landed("A", "MeshTestBroken", 0, 0, 0);
  sim::VesselMeshInfo info{};
  ASSERT_TRUE(sim::GetVesselMesh(a, 0, &info));
  EXPECT_FALSE(info.shown);
  sim::SetVisual(a, true);
  GROUPEDITSPEC ges{GRPEDIT_ADDUSERFLAG, 3, nullptr, 0, nullptr};
  EXPECT_NE(oapiEditMeshGroup(sim::GetVesselDevMesh(a, 0), 0, &ges), 0);
}

TEST_F(HostTest, TexturesArePngUnderTexturesAndAMissingOneLeavesItsGroupsUntextured) {
  ::testing::internal::CaptureStderr();
  MESHHANDLE m = oapiLoadMeshGlobal("host_test_textures");
  const std::string said = ::testing::internal::GetCapturedStderr();
  const sim::MeshFile* data = sim::MeshData(m);
  ASSERT_EQ(data->groups.size(), 3u);
  // Texture 1 is named "...dds" and read from the PNG of the same stem.
  int w = 0, h = 0;
  ASSERT_TRUE(sim::SurfaceSize(oapiGetTextureHandle(m, 1), &w, &h));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(sim::SurfacePixels(oapiGetTextureHandle(m, 1))[1], 0x00FF80u) << "0xRRGGBB, left to right";
  EXPECT_EQ(data->groups[0].texture, 1);
  // Texture 2 is missing, texture 3 is no picture: reported, no surface,
  // their groups drawn without.
  EXPECT_EQ(oapiGetTextureHandle(m, 2), nullptr);
  EXPECT_EQ(oapiGetTextureHandle(m, 3), nullptr);
  EXPECT_EQ(data->groups[1].texture, 0);
  EXPECT_EQ(data->groups[2].texture, 0);
  EXPECT_NE(said.find("texture 2 Textures/host_test_missing.png: not found"), std::string::npos) << said;
  EXPECT_NE(said.find("texture 3 Textures/host_test_not_a_picture.png: not a PNG picture"), std::string::npos)
      << said;
}

TEST_F(HostTest, AGenericClassNamesItsMeshWithMeshName) {
  OBJHANDLE jet = Landed("Jet", "Airliner", 0, 0, 0);
  sim::VesselMeshInfo info{};
  ASSERT_EQ(sim::VesselMeshCount(jet), 1);
  ASSERT_TRUE(sim::GetVesselMesh(jet, 0, &info));
  EXPECT_STREQ(info.name, "Airliner");
  EXPECT_TRUE(info.shown);
  EXPECT_EQ(sim::FindLoadedMesh("airliner"), info.mesh);
  EXPECT_EQ(sim::FindLoadedMesh("no_such_mesh"), nullptr) << "finding loads nothing";
}
