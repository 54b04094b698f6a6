// The fifteen object renderers, one per map family and shade, as instances of the shared face
// renderer, and the dispatch from a render-mode row's renderer id.
#include "engine/object_renderers.h"

#include <array>

#include "engine/face_renderer.h"

using face_renderer::Family;
using face_renderer::RenderFamily;

void RenderNomapNosha(SceneObject* object) { RenderFamily<Family::Nomap, kShadeNosha>(object); }
void RenderNomapShade(SceneObject* object) { RenderFamily<Family::Nomap, kShadeShade>(object); }
void RenderNomapFlaty(SceneObject* object) { RenderFamily<Family::Nomap, kShadeFlaty>(object); }
void RenderNomapGoura(SceneObject* object) { RenderFamily<Family::Nomap, kShadeGoura>(object); }
void RenderNomapFoggy(SceneObject* object) { RenderFamily<Family::Nomap, kShadeFoggy>(object); }
void RenderTextuNosha(SceneObject* object) { RenderFamily<Family::Textu, kShadeNosha>(object); }
void RenderTextuShade(SceneObject* object) { RenderFamily<Family::Textu, kShadeShade>(object); }
void RenderTextuFlaty(SceneObject* object) { RenderFamily<Family::Textu, kShadeFlaty>(object); }
void RenderTextuGoura(SceneObject* object) { RenderFamily<Family::Textu, kShadeGoura>(object); }
void RenderTextuFoggy(SceneObject* object) { RenderFamily<Family::Textu, kShadeFoggy>(object); }
void RenderEnvmaNosha(SceneObject* object) { RenderFamily<Family::Envma, kShadeNosha>(object); }
void RenderEnvmaShade(SceneObject* object) { RenderFamily<Family::Envma, kShadeShade>(object); }
void RenderEnvmaFlaty(SceneObject* object) { RenderFamily<Family::Envma, kShadeFlaty>(object); }
void RenderEnvmaGoura(SceneObject* object) { RenderFamily<Family::Envma, kShadeGoura>(object); }
void RenderEnvmaFoggy(SceneObject* object) { RenderFamily<Family::Envma, kShadeFoggy>(object); }

namespace {

using Renderer = void (*)(SceneObject*);

// Indexed by RendererId.
constexpr std::array<Renderer, kRendererCount> kRenderers = {
    &RenderWire,
    &RenderNomapNosha, &RenderNomapShade, &RenderNomapFlaty, &RenderNomapGoura, &RenderNomapFoggy,
    &RenderTextuNosha, &RenderTextuShade, &RenderTextuFlaty, &RenderTextuGoura, &RenderTextuFoggy,
    &RenderEnvmaNosha, &RenderEnvmaShade, &RenderEnvmaFlaty, &RenderEnvmaGoura, &RenderEnvmaFoggy,
};

} // namespace

void RenderObject(RendererId renderer, SceneObject* object)
{
    const auto index = static_cast<size_t>(renderer);
    if (index < kRenderers.size()) kRenderers[index](object);
}
