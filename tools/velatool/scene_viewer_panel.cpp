// The scene viewer's panel.
#include "velatool/scene_viewer_panel.h"

#include <imgui.h>

#include <algorithm>
#include <string>

#include "engine/render_modes.h"
#include "velatool/scene_viewer_window.h"

namespace {

std::string CameraLabel(const Scene& scene, int32_t index)
{
    if (index < 0) return "the scene's events";
    const SceneCamera* camera = RecordAt(scene.cameras, index);
    return std::to_string(index) + " " + (camera ? camera->name : "?");
}

// A combo over "none" (or the events) and every camera; true when the choice changed.
bool CameraCombo(const char* label, const Scene& scene, int32_t* choice, const char* none)
{
    bool changed = false;
    const std::string current = *choice < 0 ? none : CameraLabel(scene, *choice);
    if (ImGui::BeginCombo(label, current.c_str())) {
        for (int32_t i = -1; i < scene.cameraCount; ++i) {
            const std::string item = i < 0 ? none : CameraLabel(scene, i);
            if (ImGui::Selectable(item.c_str(), i == *choice)) {
                *choice = i;
                changed = true;
            }
        }
        ImGui::EndCombo();
    }
    return changed;
}

std::string ModeWords(const SceneObject& object)
{
    const RenderMode* row = RenderModeRow(object.renderMode);
    std::string words = row ? row->name : "mode " + std::to_string(object.renderMode);
    if (object.modeTrack.count > 0) words += " (changes)";
    return words;
}

} // namespace

void DrawViewerPanel(const char* sceneName, const Scene* scene, ViewerState* s)
{
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x - kViewerPanelWidth, 0));
    ImGui::SetNextWindowSize(ImVec2(kViewerPanelWidth, io.DisplaySize.y));
    ImGui::Begin("scene", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoTitleBar);
    ImGui::TextUnformatted(sceneName);
    if (!s->problem.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.45f, 0.35f, 1.0f));
        ImGui::TextWrapped("Reload failed, the last good scene stays: %s", s->problem.c_str());
        ImGui::PopStyleColor();
    }
    if (!s->loaded.empty()) ImGui::TextWrapped("%s", s->loaded.c_str());
    if (!scene) {
        ImGui::End();
        return;
    }
    const float last = static_cast<float>(std::max(0, scene->lastFrame));
    ImGui::Separator();
    if (ImGui::Button(s->playing ? "Pause (Space)" : "Play (Space)")) s->playing = !s->playing;
    ImGui::SameLine();
    if (ImGui::Button("<")) { s->playing = false; s->frame = std::max(0.0f, s->frame - 1); }
    ImGui::SameLine();
    if (ImGui::Button(">")) { s->playing = false; s->frame = std::min(last, s->frame + 1); }
    ImGui::SameLine();
    ImGui::Text("frame %.1f / %.0f", static_cast<double>(s->frame), static_cast<double>(last));
    ImGui::SetNextItemWidth(-1);
    if (ImGui::SliderFloat("##timeline", &s->frame, 0.0f, last, "%.1f")) s->playing = false;
    ImGui::Text("drawing: %.2f ms", s->drawMilliseconds);

    ImGui::Separator();
    CameraCombo("camera (C)", *scene, &s->camera, "the scene's events");
    CameraCombo("overlay", *scene, &s->overlay, "none");
    ImGui::Checkbox("fill", &s->fill);
    ImGui::SameLine();
    ImGui::ColorEdit3("##fill", s->fillColour, ImGuiColorEditFlags_NoInputs);
    ImGui::Checkbox("wireframe (W)", &s->wireframe);

    ImGui::Separator();
    ImGui::Text("%d objects (tick to hide)", scene->objectCount);
    if (ImGui::BeginTable("objects", 2, ImGuiTableFlags_ScrollY | ImGuiTableFlags_RowBg)) {
        int32_t index = 0;
        for (const SceneObject* object = scene->objects; object; object = object->next, ++index) {
            if (static_cast<size_t>(index) >= s->hidden.size()) break;
            ImGui::TableNextRow();
            ImGui::TableSetColumnIndex(0);
            bool hide = s->hidden[static_cast<size_t>(index)] != 0;
            ImGui::PushID(index);
            if (ImGui::Checkbox(object->name, &hide)) s->hidden[static_cast<size_t>(index)] = hide ? 1 : 0;
            ImGui::PopID();
            ImGui::TableSetColumnIndex(1);
            ImGui::TextUnformatted(ModeWords(*object).c_str());
        }
        ImGui::EndTable();
    }
    ImGui::End();
}
