// The FSF scene writer.
#include "formats/scene_writer.h"
#include "formats/byte_order.h"

#include <bit>
#include <cstring>
#include <stdexcept>


void FsfChunkWriter::Open(uint32_t id)
{
    open_.push_back(bytes_.size());
    AppendLe32(bytes_, id);
    AppendLe32(bytes_, 0);
}

void FsfChunkWriter::Close()
{
    if (open_.empty()) throw std::logic_error("FsfChunkWriter: Close without Open");
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t size = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + 4 + i] = static_cast<uint8_t>(size >> (8 * i));
}

void FsfChunkWriter::Field(uint32_t id, const std::vector<uint8_t>& payload)
{
    AppendLe32(bytes_, id);
    AppendLe32(bytes_, static_cast<uint32_t>(payload.size() + 8));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
}

void FsfChunkWriter::FieldU32(uint32_t id, uint32_t value)
{
    std::vector<uint8_t> p;
    AppendLe32(p, value);
    Field(id, p);
}

void FsfChunkWriter::FieldI32s(uint32_t id, const std::vector<int32_t>& values)
{
    std::vector<uint8_t> p;
    for (int32_t v : values) AppendLe32(p, static_cast<uint32_t>(v));
    Field(id, p);
}

void FsfChunkWriter::FieldF32s(uint32_t id, const std::vector<float>& values)
{
    std::vector<uint8_t> p;
    for (float v : values) AppendLeF32(p, v);
    Field(id, p);
}

void FsfChunkWriter::FieldText(uint32_t id, const std::string& text)
{
    std::vector<uint8_t> p(text.begin(), text.end());
    p.push_back(0);
    Field(id, p);
}

void FsfChunkWriter::Raw(const std::vector<uint8_t>& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

std::vector<uint8_t> FsfChunkWriter::Take()
{
    if (!open_.empty()) throw std::logic_error("FsfChunkWriter: container left open");
    return std::move(bytes_);
}

VectorKey MakeVectorKey(float frame, Vec3 value, Vec3 inTangent, Vec3 outTangent, float easeTo, float easeFrom)
{
    return VectorKey{frame, value, inTangent, outTangent, 0, 0, 0, easeTo, easeFrom};
}

ScalarKey MakeScalarKey(float frame, float value, float inTangent, float outTangent, float easeTo, float easeFrom)
{
    return ScalarKey{frame, value, inTangent, outTangent, 0, 0, 0, easeTo, easeFrom};
}

ScalarKey MakeMorphKey(float frame, uint32_t reference, float inTangent, float outTangent)
{
    return ScalarKey{frame, std::bit_cast<float>(reference), inTangent, outTangent, 0, 0, 0, 0, 0};
}

StepKey MakeStepReal(float frame, float value) { return StepKey{frame, std::bit_cast<uint32_t>(value)}; }

StepKey MakeStepWord(float frame, uint32_t value) { return StepKey{frame, value}; }

uint32_t MakeObjectReference(int32_t number, int32_t occurrence)
{
    return (static_cast<uint32_t>(occurrence) << 24) | (static_cast<uint32_t>(number) & 0xFFFFFFu);
}

FsfEvent MakeCameraEvent(float frame, uint32_t cameraIndex) { return {kFsfCameraEvent, frame, 0, cameraIndex}; }
FsfEvent MakeLightEvent(float frame, uint32_t lightIndex) { return {kFsfLightEvent, frame, 1, lightIndex}; }
FsfEvent MakeFarEvent(float frame, float distance) { return {kFsfFarEvent, frame, 2, std::bit_cast<uint32_t>(distance)}; }

FsfEvent MakeFogEvent(float frame, float nearDistance, float farDistance)
{
    return {kFsfFogEvent, frame, 3, std::bit_cast<uint32_t>(nearDistance), std::bit_cast<uint32_t>(farDistance)};
}

FsfEvent MakeBackgroundEvent(float frame, int32_t r, int32_t g, int32_t b)
{
    return {kFsfBackgroundEvent, frame, 4, static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(b)};
}

namespace {

template <class Key>
void PutTrack(FsfChunkWriter& w, uint32_t id, const std::optional<FsfTrack<Key>>& track)
{
    if (!track) return;
    std::vector<uint8_t> p;
    AppendLe32(p, static_cast<uint32_t>(track->keys.size()));
    AppendLe32(p, static_cast<uint32_t>(track->loop));
    for (const Key& key : track->keys) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&key);
        p.insert(p.end(), bytes, bytes + sizeof(Key));
    }
    w.Field(id, p);
}

void PutSteps(FsfChunkWriter& w, uint32_t id, const std::optional<std::vector<StepKey>>& steps)
{
    if (!steps) return;
    std::vector<uint8_t> p;
    AppendLe32(p, static_cast<uint32_t>(steps->size()));
    for (const StepKey& k : *steps) {
        AppendLeF32(p, k.frame);
        AppendLe32(p, k.value);
    }
    w.Field(id, p);
}

void PutFrames(FsfChunkWriter& w, uint32_t id, const std::optional<std::vector<float>>& frames)
{
    if (!frames) return;
    std::vector<uint8_t> p;
    AppendLe32(p, static_cast<uint32_t>(frames->size()));
    for (float f : *frames) AppendLeF32(p, f);
    w.Field(id, p);
}

void PutText(FsfChunkWriter& w, uint32_t id, const std::optional<std::string>& text)
{
    if (text) w.FieldText(id, *text);
}

void PutInt(FsfChunkWriter& w, uint32_t id, const std::optional<int32_t>& v)
{
    if (v) w.FieldU32(id, static_cast<uint32_t>(*v));
}

void PutReal(FsfChunkWriter& w, uint32_t id, const std::optional<float>& v)
{
    if (v) w.FieldF32s(id, {*v});
}

void PutColour(FsfChunkWriter& w, uint32_t id, const std::optional<FsfColour>& c)
{
    if (c) w.FieldI32s(id, {(*c)[0], (*c)[1], (*c)[2]});
}

void PutReference(FsfChunkWriter& w, uint32_t id, const std::optional<uint32_t>& v)
{
    if (v) w.FieldU32(id, *v);
}

void PutVec(std::vector<uint8_t>& p, Vec3 v)
{
    AppendLeF32(p, v.x);
    AppendLeF32(p, v.y);
    AppendLeF32(p, v.z);
}

void PutMaterial(FsfChunkWriter& w, const FsfMaterial& m)
{
    w.Open(kFsfMaterial);
    PutText(w, kFsfMaterialName, m.name);
    PutColour(w, kFsfMaterialAmbient, m.ambient);
    PutColour(w, kFsfMaterialDiffuse, m.diffuse);
    PutColour(w, kFsfMaterialSpecular, m.specular);
    PutInt(w, kFsfMaterialShininess, m.shininess);
    PutReal(w, kFsfMaterialHighlight, m.highlight);
    PutReal(w, kFsfMaterialTextureBase, m.textureBase);
    PutReal(w, kFsfMaterialTextureLightGain, m.textureLightGain);
    PutReal(w, kFsfMaterialTextureColourMix, m.textureColourMix);
    PutText(w, kFsfMaterialTextureName, m.textureName);
    PutText(w, kFsfMaterialSecondMapName, m.secondMapName);
    PutSteps(w, kFsfMaterialFrameTrack, m.frameTrack);
    PutTrack(w, kFsfMaterialOpacityTrack, m.opacityTrack);
    w.Close();
}

void PutLight(FsfChunkWriter& w, const FsfLight& l)
{
    w.Open(kFsfLight);
    PutText(w, kFsfLightName, l.name);
    PutInt(w, kFsfLightTag, l.tag);
    PutTrack(w, kFsfLightPositionTrack, l.positionTrack);
    PutTrack(w, kFsfLightExtraTrack, l.extraTrack);
    PutTrack(w, kFsfLightTargetTrack, l.targetTrack);
    PutTrack(w, kFsfLightIntensityTrack, l.intensityTrack);
    PutReference(w, kFsfLightParent, l.parent);
    w.Close();
}

void PutFlare(FsfChunkWriter& w, const FsfFlare& f)
{
    w.Open(kFsfFlare);
    PutText(w, kFsfFlareName, f.name);
    PutInt(w, kFsfFlareTag, f.tag);
    PutReal(w, kFsfFlareSize, f.size);
    PutInt(w, kFsfFlareFlag, f.flag);
    PutTrack(w, kFsfFlarePositionTrack, f.positionTrack);
    PutTrack(w, kFsfFlareColourTrack, f.colourTrack);
    PutFrames(w, kFsfFlareVisibilityToggles, f.visibilityToggles);
    PutText(w, kFsfFlarePictureName, f.pictureName);
    PutTrack(w, kFsfFlareSizeTrack, f.sizeTrack);
    PutReference(w, kFsfFlareParent, f.parent);
    w.Close();
}

void PutCamera(FsfChunkWriter& w, const FsfCamera& c)
{
    w.Open(kFsfCamera);
    PutText(w, kFsfCameraName, c.name);
    PutInt(w, kFsfCameraTag, c.tag);
    PutTrack(w, kFsfCameraPositionTrack, c.positionTrack);
    PutTrack(w, kFsfCameraFovTrack, c.fovTrack);
    PutTrack(w, kFsfCameraRollTrack, c.rollTrack);
    PutTrack(w, kFsfCameraTargetTrack, c.targetTrack);
    PutReference(w, kFsfCameraParent, c.parent);
    w.Close();
}

void PutObject(FsfChunkWriter& w, const FsfObject& o)
{
    w.Open(kFsfObject);
    PutText(w, kFsfObjectName, o.name);
    PutInt(w, kFsfObjectTag, o.tag);
    PutInt(w, kFsfObjectRenderMode, o.renderMode);
    if (o.vertices) {
        std::vector<uint8_t> p;
        AppendLe32(p, static_cast<uint32_t>(o.vertices->size()));
        for (const Vec3& v : *o.vertices) PutVec(p, v);
        w.Field(kFsfObjectVertices, p);
    }
    if (o.mapping) {
        std::vector<uint8_t> p;
        for (const auto& uv : *o.mapping) {
            AppendLeF32(p, uv[0]);
            AppendLeF32(p, uv[1]);
        }
        w.Field(kFsfObjectMapping, p);
    }
    if (o.faces) {
        std::vector<uint8_t> p;
        AppendLe32(p, static_cast<uint32_t>(o.faces->size()));
        for (const FsfFace& f : *o.faces) {
            AppendLe32(p, f.material);
            AppendLe32(p, f.a);
            AppendLe32(p, f.b);
            AppendLe32(p, f.c);
        }
        w.Field(kFsfObjectFaces, p);
    }
    if (o.boundCentre) {
        std::vector<uint8_t> p;
        PutVec(p, *o.boundCentre);
        AppendLeF32(p, o.boundRadius);
        w.Field(kFsfObjectBounds, p);
    }
    if (o.number) w.FieldI32s(kFsfObjectNumber, {*o.number, o.parentNumber});
    if (o.pivot) {
        std::vector<uint8_t> p;
        PutVec(p, *o.pivot);
        w.Field(kFsfObjectPivot, p);
    }
    PutTrack(w, kFsfObjectPositionTrack, o.positionTrack);
    PutTrack(w, kFsfObjectRotationTrack, o.rotationTrack);
    PutTrack(w, kFsfObjectScaleTrack, o.scaleTrack);
    PutFrames(w, kFsfObjectHideToggles, o.hideToggles);
    PutTrack(w, kFsfObjectMorphTrack, o.morphTrack);
    PutSteps(w, kFsfObjectSwitchTrack, o.switchTrack);
    PutSteps(w, kFsfObjectModeTrack, o.modeTrack);
    PutFrames(w, kFsfObjectCullToggles, o.cullToggles);
    if (o.edges) {
        std::vector<uint8_t> p;
        AppendLe32(p, static_cast<uint32_t>(o.edges->size()));
        AppendLe32(p, static_cast<uint32_t>(o.flagTrack.size()));
        for (const FsfEdge& e : *o.edges) {
            AppendLe32(p, static_cast<uint32_t>(e.vertexA));
            AppendLe32(p, static_cast<uint32_t>(e.vertexB));
            AppendLe32(p, static_cast<uint32_t>(e.faceA));
            AppendLe32(p, static_cast<uint32_t>(e.faceB));
            AppendLeF32(p, e.crease);
        }
        for (const StepKey& k : o.flagTrack) {
            AppendLeF32(p, k.frame);
            AppendLe32(p, k.value);
        }
        w.Field(kFsfObjectEdges, p);
    }
    PutTrack(w, kFsfObjectUvTrack, o.uvTrack);
    PutSteps(w, kFsfObjectTargetTrack, o.targetTrack);
    w.Close();
}

void PutEvents(FsfChunkWriter& w, const FsfScene& s)
{
    if (!s.events) return;
    const std::vector<FsfEvent>& events = *s.events;
    w.Open(kFsfEvents);
    std::vector<uint8_t> count;
    AppendLe32(count, s.declaredEventCount ? *s.declaredEventCount : static_cast<uint32_t>(events.size()));
    w.Raw(count);
    for (const FsfEvent& e : events) {
        std::vector<uint8_t> p;
        AppendLeF32(p, e.frame);
        AppendLe32(p, static_cast<uint32_t>(e.kind));
        AppendLe32(p, e.a);
        if (e.chunkId == kFsfBackgroundEvent || e.chunkId == kFsfFogEvent) AppendLe32(p, e.b);
        if (e.chunkId == kFsfBackgroundEvent) AppendLe32(p, e.c);
        w.Field(e.chunkId, p);
    }
    w.Close();
}

} // namespace

std::vector<uint8_t> WriteFsf(const FsfScene& s)
{
    FsfChunkWriter w;
    w.Open(kFsfRoot);
    if (s.version) w.FieldU32(kFsfVersion, *s.version);
    if (s.info) w.FieldI32s(kFsfSceneInfo, {(*s.info)[0], (*s.info)[1], (*s.info)[2]});
    for (const FsfMaterial& m : s.materials) PutMaterial(w, m);
    for (const FsfLight& l : s.lights) PutLight(w, l);
    for (const FsfFlare& f : s.flares) PutFlare(w, f);
    for (const FsfCamera& c : s.cameras) PutCamera(w, c);
    for (const FsfObject& o : s.objects) PutObject(w, o);
    PutEvents(w, s);
    w.Close();
    return w.Take();
}

std::vector<FsfFace> MakeGridFaces(uint32_t columns, uint32_t rows)
{
    std::vector<FsfFace> faces;
    const uint32_t stride = columns + 1;
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns; ++c) {
            const uint32_t tl = r * stride + c, tr = tl + 1, bl = tl + stride, br = bl + 1;
            faces.push_back({0, bl, br, tr});
            faces.push_back({0, bl, tr, tl});
        }
    }
    return faces;
}
