#include "velatool/scene_json.h"

#include "engine/render_modes.h"
#include "engine/scene/scene_files.h"
#include "velatool/json_text.h"

namespace {

void Field(Json& j, const char* key, int64_t v) { j.Key(key); j.Int(v); }
void FieldReal(Json& j, const char* key, float v) { j.Key(key); j.Real(v); }
void FieldText(Json& j, const char* key, const char* v) { j.Key(key); j.String(v); }
void FieldVec(Json& j, const char* key, Vec3 v) { j.Key(key); j.Vec(v); }

void PutKeyTail(Json& j, float tension, float continuity, float bias, float easeTo, float easeFrom)
{
    FieldReal(j, "tension", tension);
    FieldReal(j, "continuity", continuity);
    FieldReal(j, "bias", bias);
    FieldReal(j, "easeTo", easeTo);
    FieldReal(j, "easeFrom", easeFrom);
}

void PutTrack(Json& j, const char* key, const VectorTrack& t)
{
    j.Key(key);
    j.Open('{');
    Field(j, "keyCount", t.keyCount);
    Field(j, "loop", t.loop);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < t.keyCount; ++i) {
        const VectorKey& k = t.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        FieldVec(j, "value", k.value);
        FieldVec(j, "inTangent", k.inTangent);
        FieldVec(j, "outTangent", k.outTangent);
        PutKeyTail(j, k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

void PutTrack(Json& j, const char* key, const ScalarTrack& t)
{
    j.Key(key);
    j.Open('{');
    Field(j, "keyCount", t.keyCount);
    Field(j, "loop", t.loop);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < t.keyCount; ++i) {
        const ScalarKey& k = t.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        FieldReal(j, "value", k.value);
        FieldReal(j, "inTangent", k.inTangent);
        FieldReal(j, "outTangent", k.outTangent);
        PutKeyTail(j, k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

void PutMorphTrack(Json& j, const Scene& s, const MorphTrack& t)
{
    j.Key("morphTrack");
    j.Open('{');
    Field(j, "keyCount", t.keyCount);
    Field(j, "loop", t.loop);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < t.keyCount; ++i) {
        const MorphKey& k = t.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        j.Key("value");
        j.Index(RecordIndex(s.objects, k.target));
        FieldReal(j, "inTangent", k.inTangent);
        FieldReal(j, "outTangent", k.outTangent);
        PutKeyTail(j, k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

enum class StepValue { Real, Unsigned, Mode };

void PutSteps(Json& j, const char* key, const StepList& list, StepValue kind)
{
    j.Key(key);
    j.Open('{');
    Field(j, "count", list.count);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < list.count; ++i) {
        const StepKey& k = list.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        j.Key("value");
        if (kind == StepValue::Unsigned) j.Int(k.value); else j.Real(StepReal(k));
        if (kind == StepValue::Mode) {
            const RenderMode* row = RenderModeRow(TruncateToInt(StepReal(k)));
            j.Key("name");
            if (row) j.String(row->name); else j.Null();
        }
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

void PutToggles(Json& j, const char* key, const ToggleList& list)
{
    j.Key(key);
    j.Open('{');
    Field(j, "count", list.count);
    j.Key("frames");
    j.Open('[');
    for (int32_t i = 0; i < list.count; ++i) j.Real(list.frames[i]);
    j.Close(']');
    j.Close('}');
}

void PutMaterial(Json& j, const Material& m)
{
    j.Open('{');
    FieldText(j, "name", m.name);
    j.Key("ambient");
    j.Ints(m.ambient, 3);
    j.Key("diffuse");
    j.Ints(m.diffuse, 3);
    j.Key("specular");
    j.Ints(m.specular, 3);
    Field(j, "shininess", m.shininess);
    FieldReal(j, "highlight", m.highlight);
    FieldReal(j, "textureBase", m.textureBase);
    FieldReal(j, "textureLightGain", m.textureLightGain);
    FieldReal(j, "textureColourMix", m.textureColourMix);
    FieldText(j, "textureName", m.textureName);
    FieldText(j, "secondMapName", m.secondMapName);
    PutSteps(j, "frameTrack", m.frameTrack, StepValue::Real);
    PutTrack(j, "opacityTrack", m.opacityTrack);
    j.Close('}');
}

void PutLight(Json& j, const Scene& s, const SceneLight& l)
{
    j.Open('{');
    FieldText(j, "name", l.name);
    Field(j, "tag", l.tag);
    j.Key("parent");
    j.Index(RecordIndex(s.objects, l.parent));
    PutTrack(j, "positionTrack", l.positionTrack);
    PutTrack(j, "intensityTrack", l.intensityTrack);
    PutTrack(j, "extraTrack", l.extraTrack);
    PutTrack(j, "targetTrack", l.targetTrack);
    j.Close('}');
}

void PutFlare(Json& j, const Scene& s, const SceneFlare& f)
{
    j.Open('{');
    FieldText(j, "name", f.name);
    Field(j, "tag", f.tag);
    FieldReal(j, "size", f.size);
    Field(j, "flag", f.flag);
    FieldText(j, "pictureName", f.pictureName);
    j.Key("parent");
    j.Index(RecordIndex(s.objects, f.parent));
    PutTrack(j, "sizeTrack", f.sizeTrack);
    PutTrack(j, "positionTrack", f.positionTrack);
    PutTrack(j, "colourTrack", f.colourTrack);
    PutToggles(j, "visibilityToggles", f.visibilityToggles);
    j.Close('}');
}

void PutCamera(Json& j, const Scene& s, const SceneCamera& c)
{
    j.Open('{');
    FieldText(j, "name", c.name);
    Field(j, "tag", c.tag);
    j.Key("parent");
    j.Index(RecordIndex(s.objects, c.parent));
    PutTrack(j, "positionTrack", c.positionTrack);
    PutTrack(j, "fovTrack", c.fovTrack);
    PutTrack(j, "rollTrack", c.rollTrack);
    PutTrack(j, "targetTrack", c.targetTrack);
    Field(j, "targetSize", c.targetSize);
    j.Close('}');
}

void PutVecArray(Json& j, const char* key, const Vec3* v, int32_t n)
{
    j.Key(key);
    if (!v) return j.Null();
    j.Open('[');
    for (int32_t i = 0; i < n; ++i) j.Vec(v[i]);
    j.Close(']');
}

void PutObject(Json& j, const Scene& s, const SceneObject& o)
{
    j.Open('{');
    FieldText(j, "name", o.name);
    Field(j, "tag", o.tag);
    Field(j, "renderMode", o.renderMode);
    const RenderMode* row = RenderModeRow(o.renderMode);
    j.Key("renderModeName");
    if (row) j.String(row->name); else j.Null();
    Field(j, "vertexCount", o.vertexCount);
    PutVecArray(j, "vertices", o.vertices, o.vertexCount);
    j.Key("mapping");
    if (o.mapping) {
        j.Open('[');
        for (int32_t i = 0; i < o.vertexCount; ++i) {
            j.Open('[');
            j.Real(o.mapping[2 * i]);
            j.Real(o.mapping[2 * i + 1]);
            j.Close(']');
        }
        j.Close(']');
    } else {
        j.Null();
    }
    PutVecArray(j, "vertexNormals", o.vertexNormals, o.vertexCount);
    Field(j, "faceCount", o.faceCount);
    j.Key("faces");
    j.Open('[');
    for (int32_t i = 0; i < o.faceCount; ++i) {
        const SceneFace& f = o.faces[i];
        j.Open('{');
        j.Key("material");
        j.Index(RecordIndex(s.materials, f.material));
        Field(j, "a", f.a);
        Field(j, "b", f.b);
        Field(j, "c", f.c);
        FieldVec(j, "normal", f.normal);
        j.Close('}');
    }
    j.Close(']');
    FieldVec(j, "boundCentre", o.boundCentre);
    FieldReal(j, "boundRadius", o.boundRadius);
    Field(j, "number", o.number);
    j.Key("parentNumber");
    j.Index(RecordIndex(s.objects, o.parentNumber));
    FieldVec(j, "pivot", o.pivot);
    PutTrack(j, "positionTrack", o.positionTrack);
    PutTrack(j, "rotationTrack", o.rotationTrack);
    PutTrack(j, "scaleTrack", o.scaleTrack);
    PutToggles(j, "hideToggles", o.hideToggles);
    PutMorphTrack(j, s, o.morphTrack);
    PutSteps(j, "modeTrack", o.modeTrack, StepValue::Mode);
    PutToggles(j, "cullToggles", o.cullToggles);
    PutSteps(j, "switchTrack", o.switchTrack, StepValue::Real);
    Field(j, "edgeCount", o.edgeCount);
    j.Key("edges");
    j.Open('[');
    for (int32_t i = 0; i < o.edgeCount; ++i) {
        const SceneEdge& e = o.edges[i];
        j.Open('{');
        Field(j, "vertexA", e.vertexA);
        Field(j, "vertexB", e.vertexB);
        j.Key("faceA");
        j.Index(e.faceA ? static_cast<int32_t>(e.faceA - o.faces) : -1);
        j.Key("faceB");
        j.Index(e.faceB ? static_cast<int32_t>(e.faceB - o.faces) : -1);
        FieldReal(j, "crease", e.crease);
        j.Close('}');
    }
    j.Close(']');
    PutSteps(j, "flagTrack", o.flagTrack, StepValue::Unsigned);
    PutTrack(j, "uvTrack", o.uvTrack);
    PutSteps(j, "targetTrack", o.targetTrack, StepValue::Unsigned);
    j.Close('}');
}

void PutEvent(Json& j, const Scene& s, const SceneEvent& e)
{
    j.Open('{');
    FieldReal(j, "frame", e.frame);
    Field(j, "kind", e.kind);
    if (e.chunkId == 0x701) {
        j.Key("a");
        j.Index(RecordIndex(s.cameras, e.camera));
    } else if (e.chunkId == 0x702) {
        j.Key("a");
        j.Index(RecordIndex(s.lights, e.light));
    } else if (e.kind == kEventFarDistance || e.kind == kEventFog) {
        FieldReal(j, "a", EventReal(e.a));
        if (e.kind == kEventFog) FieldReal(j, "b", EventReal(e.b));
    } else {
        Field(j, "a", static_cast<int32_t>(e.a));
        Field(j, "b", static_cast<int32_t>(e.b));
        Field(j, "c", static_cast<int32_t>(e.c));
    }
    j.Close('}');
}

} // namespace

std::string SceneJson(const Scene& s)
{
    Json j;
    j.Open('{');
    FieldText(j, "fsfPath", s.fsfPath ? s.fsfPath : "");
    FieldText(j, "folderPath", s.folderPath ? s.folderPath : "");
    FieldText(j, "datPath", s.datPath ? s.datPath : "");
    Field(j, "infoA", s.infoA);
    Field(j, "infoB", s.infoB);
    Field(j, "lastFrame", s.lastFrame);
    Field(j, "materialCount", s.materialCount);
    j.Key("materials");
    j.Open('[');
    for (const Material* m = s.materials; m; m = m->next) PutMaterial(j, *m);
    j.Close(']');
    Field(j, "lightCount", s.lightCount);
    j.Key("lights");
    j.Open('[');
    for (const SceneLight* l = s.lights; l; l = l->next) PutLight(j, s, *l);
    j.Close(']');
    Field(j, "flareCount", s.flareCount);
    j.Key("flares");
    j.Open('[');
    for (const SceneFlare* f = s.flares; f; f = f->next) PutFlare(j, s, *f);
    j.Close(']');
    Field(j, "cameraCount", s.cameraCount);
    j.Key("cameras");
    j.Open('[');
    for (const SceneCamera* c = s.cameras; c; c = c->next) PutCamera(j, s, *c);
    j.Close(']');
    Field(j, "objectCount", s.objectCount);
    j.Key("objects");
    j.Open('[');
    for (const SceneObject* o = s.objects; o; o = o->next) PutObject(j, s, *o);
    j.Close(']');
    Field(j, "eventCount", s.eventCount);
    j.Key("events");
    j.Open('[');
    for (int32_t i = 0; i < s.eventCount; ++i) PutEvent(j, s, s.events[i]);
    j.Close(']');
    j.Close('}');
    return j.text;
}
