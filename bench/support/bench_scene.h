// The drawing benchmark's scene: a wavy grid of 5,000 textured, Gouraud-shaded triangles
// facing the camera and filling a 16:9 view, with a texture picture, a light and a camera.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/scene_writer.h"

constexpr int32_t kBenchGridColumns = 50; // quads across; two triangles each
constexpr int32_t kBenchGridRows = 50;
constexpr int32_t kBenchSceneLastFrame = 1000;
constexpr const char* kBenchSceneName = "BENCH.FSF";
constexpr const char* kBenchTextureName = "BENCHTEX.BMP";

// The scene: one object in render mode 33 (TEXTU_GOURA_OPAQU), its material, a light whose
// target circles over the scene's length, and a camera switched on at frame 0.
FsfScene MakeBenchScene();
// The 256x256 8-bit texture picture (BMP bytes) the scene's material names.
std::vector<uint8_t> MakeBenchTexture();
// Writes BENCH.FSF and its texture into `folder` (made when missing); false when a file
// cannot be written.
bool WriteBenchScene(const std::filesystem::path& folder);

