// The FSF scene writer.
#include "authoring/scene_writer.h"
#include "platform/byte_order.h"

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

FsfEvent MakeCameraEvent(float frame, uint32_t cameraIndex) { return {0x701, frame, 0, cameraIndex}; }
FsfEvent MakeLightEvent(float frame, uint32_t lightIndex) { return {0x702, frame, 1, lightIndex}; }
FsfEvent MakeFarEvent(float frame, float distance) { return {0x703, frame, 2, std::bit_cast<uint32_t>(distance)}; }

FsfEvent MakeFogEvent(float frame, float nearDistance, float farDistance)
{
    return {0x705, frame, 3, std::bit_cast<uint32_t>(nearDistance), std::bit_cast<uint32_t>(farDistance)};
}

FsfEvent MakeBackgroundEvent(float frame, int32_t r, int32_t g, int32_t b)
{
    return {0x704, frame, 4, static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(b)};
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
    w.Open(0x200);
    PutText(w, 0x201, m.name);
    PutColour(w, 0x202, m.ambient);
    PutColour(w, 0x203, m.diffuse);
    PutColour(w, 0x204, m.specular);
    PutInt(w, 0x205, m.shininess);
    PutReal(w, 0x206, m.highlight);
    PutReal(w, 0x207, m.textureBase);
    PutReal(w, 0x208, m.textureLightGain);
    PutReal(w, 0x209, m.textureColourMix);
    PutText(w, 0x20a, m.textureName);
    PutText(w, 0x20b, m.secondMapName);
    PutSteps(w, 0x20c, m.frameTrack);
    PutTrack(w, 0x20d, m.opacityTrack);
    w.Close();
}

void PutLight(FsfChunkWriter& w, const FsfLight& l)
{
    w.Open(0x300);
    PutText(w, 0x301, l.name);
    PutInt(w, 0x302, l.tag);
    PutTrack(w, 0x303, l.positionTrack);
    PutTrack(w, 0x304, l.extraTrack);
    PutTrack(w, 0x305, l.targetTrack);
    PutTrack(w, 0x306, l.intensityTrack);
    PutReference(w, 0x307, l.parent);
    w.Close();
}

void PutFlare(FsfChunkWriter& w, const FsfFlare& f)
{
    w.Open(0x400);
    PutText(w, 0x401, f.name);
    PutInt(w, 0x402, f.tag);
    PutReal(w, 0x403, f.size);
    PutInt(w, 0x404, f.flag);
    PutTrack(w, 0x405, f.positionTrack);
    PutTrack(w, 0x406, f.colourTrack);
    PutFrames(w, 0x407, f.visibilityToggles);
    PutText(w, 0x408, f.pictureName);
    PutTrack(w, 0x409, f.sizeTrack);
    PutReference(w, 0x40a, f.parent);
    w.Close();
}

void PutCamera(FsfChunkWriter& w, const FsfCamera& c)
{
    w.Open(0x500);
    PutText(w, 0x501, c.name);
    PutInt(w, 0x502, c.tag);
    PutTrack(w, 0x503, c.positionTrack);
    PutTrack(w, 0x504, c.fovTrack);
    PutTrack(w, 0x505, c.rollTrack);
    PutTrack(w, 0x506, c.targetTrack);
    PutReference(w, 0x507, c.parent);
    w.Close();
}

void PutObject(FsfChunkWriter& w, const FsfObject& o)
{
    w.Open(0x600);
    PutText(w, 0x601, o.name);
    PutInt(w, 0x602, o.tag);
    PutInt(w, 0x603, o.renderMode);
    if (o.vertices) {
        std::vector<uint8_t> p;
        AppendLe32(p, static_cast<uint32_t>(o.vertices->size()));
        for (const Vec3& v : *o.vertices) PutVec(p, v);
        w.Field(0x604, p);
    }
    if (o.mapping) {
        std::vector<uint8_t> p;
        for (const auto& uv : *o.mapping) {
            AppendLeF32(p, uv[0]);
            AppendLeF32(p, uv[1]);
        }
        w.Field(0x605, p);
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
        w.Field(0x606, p);
    }
    if (o.boundCentre) {
        std::vector<uint8_t> p;
        PutVec(p, *o.boundCentre);
        AppendLeF32(p, o.boundRadius);
        w.Field(0x607, p);
    }
    if (o.number) w.FieldI32s(0x608, {*o.number, o.parentNumber});
    if (o.pivot) {
        std::vector<uint8_t> p;
        PutVec(p, *o.pivot);
        w.Field(0x609, p);
    }
    PutTrack(w, 0x60a, o.positionTrack);
    PutTrack(w, 0x60b, o.rotationTrack);
    PutTrack(w, 0x60c, o.scaleTrack);
    PutFrames(w, 0x60d, o.hideToggles);
    PutTrack(w, 0x60e, o.morphTrack);
    PutSteps(w, 0x60f, o.switchTrack);
    PutSteps(w, 0x610, o.modeTrack);
    PutFrames(w, 0x611, o.cullToggles);
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
        w.Field(0x612, p);
    }
    PutTrack(w, 0x613, o.uvTrack);
    PutSteps(w, 0x614, o.targetTrack);
    w.Close();
}

void PutEvents(FsfChunkWriter& w, const FsfScene& s)
{
    if (!s.events) return;
    const std::vector<FsfEvent>& events = *s.events;
    w.Open(0x700);
    std::vector<uint8_t> count;
    AppendLe32(count, s.declaredEventCount ? *s.declaredEventCount : static_cast<uint32_t>(events.size()));
    w.Raw(count);
    for (const FsfEvent& e : events) {
        std::vector<uint8_t> p;
        AppendLeF32(p, e.frame);
        AppendLe32(p, static_cast<uint32_t>(e.kind));
        AppendLe32(p, e.a);
        if (e.chunkId == 0x704 || e.chunkId == 0x705) AppendLe32(p, e.b);
        if (e.chunkId == 0x704) AppendLe32(p, e.c);
        w.Field(e.chunkId, p);
    }
    w.Close();
}

} // namespace

std::vector<uint8_t> WriteFsf(const FsfScene& s)
{
    FsfChunkWriter w;
    w.Open(0x0001);
    if (s.version) w.FieldU32(0x00ff, *s.version);
    if (s.info) w.FieldI32s(0x0100, {(*s.info)[0], (*s.info)[1], (*s.info)[2]});
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
