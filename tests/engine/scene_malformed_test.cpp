// Malformed scene files are refused whole (code 1) without reading outside the file and
// with everything they built released; ids outside the format are skipped.
#include "engine/scene_test_support.h"
#include "formats/byte_order.h"

#include <functional>

namespace {

FsfScene BaseScene()
{
    FsfScene s = OneMaterialScene({SquareObject("o", 0, 1)});
    s.cameras = {FsfCamera{}};
    s.lights = {FsfLight{}};
    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 0)};
    return s;
}

std::vector<uint8_t> Rooted(const std::function<void(FsfChunkWriter&)>& body)
{
    FsfChunkWriter w;
    w.Open(1);
    body(w);
    w.Close();
    return w.Take();
}

struct MalformedCase {
    const char* what;
    std::function<std::vector<uint8_t>()> make;
};

const MalformedCase kCases[] = {
    {"chunk size below 8", [] {
         return Rooted([](FsfChunkWriter& w) {
             std::vector<uint8_t> raw;
             AppendLe32(raw, 0x100);
             AppendLe32(raw, 4);
             AppendLe32(raw, 0);
             w.Raw(raw);
         });
     }},
    {"chunk running past its container", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x200);
             std::vector<uint8_t> raw;
             AppendLe32(raw, 0x205);
             AppendLe32(raw, 64);
             AppendLe32(raw, 5);
             w.Raw(raw);
             w.Close();
             w.FieldI32s(0x100, std::vector<int32_t>(20, 0));
         });
     }},
    {"trailing bytes too short for a chunk", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.FieldU32(0xff, 0x7f0);
             w.Raw({1, 2, 3});
         });
     }},
    {"vertex count overrunning its chunk", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x600);
             w.FieldI32s(0x604, {1000, 0, 0, 0});
             w.Close();
         });
     }},
    {"track key count overrunning its chunk", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x500);
             w.FieldI32s(0x503, {2, 0, 0, 0, 0});
             w.Close();
         });
     }},
    {"morph key count overrunning its chunk", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x600);
             w.FieldI32s(0x60e, {1, 0, 0, 0, 0, 0, 0, 0, 0}); // one 36-byte key needs 44 bytes
             w.Close();
         });
     }},
    {"text without terminator", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x200);
             w.Field(0x201, {'a', 'b', 'c'});
             w.Close();
         });
     }},
    {"field chunk before any container of its kind", [] {
         return Rooted([](FsfChunkWriter& w) { w.FieldText(0x601, "orphan"); });
     }},
    {"mapping before the vertices", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x600);
             w.FieldF32s(0x605, {0, 0});
             w.FieldI32s(0x604, {0});
             w.Close();
         });
     }},
    {"second vertex chunk in one object", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x600);
             w.FieldF32s(0x604, {0});
             w.FieldF32s(0x604, {0});
             w.Close();
         });
     }},
    {"face vertex index out of range", [] {
         FsfScene s = BaseScene();
         s.objects[0].faces->push_back({0, 0, 1, 9});
         return WriteFsf(s);
     }},
    {"negative face vertex index", [] {
         FsfScene s = BaseScene();
         s.objects[0].faces->push_back({0, 0xFFFFFFFFu, 1, 2});
         return WriteFsf(s);
     }},
    {"face material index out of range", [] {
         FsfScene s = BaseScene();
         (*s.objects[0].faces)[0].material = 1;
         return WriteFsf(s);
     }},
    {"edge vertex index out of range", [] {
         FsfScene s = BaseScene();
         s.objects[0].edges = std::vector<FsfEdge>{{0, 4, 0, 1, 0}};
         return WriteFsf(s);
     }},
    {"edge face index out of range", [] {
         FsfScene s = BaseScene();
         s.objects[0].edges = std::vector<FsfEdge>{{0, 1, 0, 2, 0}};
         return WriteFsf(s);
     }},
    {"edges before the faces", [] {
         FsfScene s = BaseScene();
         s.objects[0].faces.reset();
         s.objects[0].edges = std::vector<FsfEdge>{{0, 1, 0, -1, 0}};
         return WriteFsf(s);
     }},
    {"flag keys overrunning the edge chunk", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x600);
             w.FieldI32s(0x606, {0});
             w.FieldI32s(0x612, {0, 3, 0, 0});
             w.Close();
         });
     }},
    {"camera event beyond the cameras", [] {
         FsfScene s = BaseScene();
         s.events->push_back(MakeCameraEvent(1, 1));
         return WriteFsf(s);
     }},
    {"light event beyond the lights", [] {
         FsfScene s = BaseScene();
         s.events->push_back(MakeLightEvent(1, 5));
         return WriteFsf(s);
     }},
    {"more event chunks than declared", [] {
         FsfScene s = BaseScene();
         s.events->push_back(MakeFarEvent(1, 10));
         s.declaredEventCount = 1;
         return WriteFsf(s);
     }},
    {"event outside any event list", [] {
         return Rooted([](FsfChunkWriter& w) { w.FieldF32s(0x703, {0, 0, 0}); });
     }},
    {"event count larger than its chunk could hold", [] {
         FsfScene s = BaseScene();
         s.declaredEventCount = 0x40000000u;
         return WriteFsf(s);
     }},
    {"short event payload", [] {
         return Rooted([](FsfChunkWriter& w) {
             w.Open(0x700);
             w.Raw({1, 0, 0, 0});
             w.FieldF32s(0x704, {0, 0, 0});
             w.Close();
         });
     }},
    {"nesting deeper than any scene", [] {
         FsfChunkWriter w;
         for (int i = 0; i < 200; ++i) w.Open(0x200);
         for (int i = 0; i < 200; ++i) w.Close();
         return w.Take();
     }},
};

} // namespace

TEST_F(SceneFileTest, MalformedFilesAreRefusedAndReleased)
{
    const size_t before = PoolBytesInUse();
    for (const MalformedCase& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Load(c.make()), 1);
        EXPECT_EQ(scene.objects, nullptr);
        EXPECT_EQ(scene.fsfPath, nullptr);
        EXPECT_EQ(PoolBytesInUse(), before);
    }
    // The same base scene loads when nothing is wrong with it.
    EXPECT_EQ(Load(WriteFsf(BaseScene())), 0);
}

TEST_F(SceneFileTest, UnknownChunksAreSkippedAndLongTextsCut)
{
    std::vector<uint8_t> bytes = Rooted([](FsfChunkWriter& w) {
        w.Field(0x9999, {1, 2, 3, 4, 5});
        w.Open(0x200);
        w.FieldText(0x201, std::string(40, 'x'));
        w.Field(0x2ff, {});
        w.Close();
    });
    ASSERT_EQ(Load(bytes), 0);
    ASSERT_EQ(scene.materialCount, 1);
    EXPECT_EQ(std::string(scene.materials->name), std::string(23, 'x'));
}

TEST_F(SceneFileTest, FewerEventsThanDeclaredCountOnlyThoseRead)
{
    FsfScene s = BaseScene();
    s.declaredEventCount = 2;
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    EXPECT_EQ(scene.eventCount, 1);
}
