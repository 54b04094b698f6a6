// Node transforms of the current view: one per object number, evaluated once per view from
// the object's position and rotation tracks, and the walk along a parent chain.
#include "engine/frame_pipeline.h"
#include "engine/frame_pipeline_steps.h"

namespace {

// The transform of an object number that has no slot in the cache (no number, or a number
// beyond the largest one the engine was set up for).
NodeTransform uncachedNode;

void EvaluateNode(const SceneObject& object, float frame, NodeTransform& node)
{
    node.position = EvalVectorTrack(frame, object.positionTrack);
    const Matrix rotation = MatrixFromRotation(EvalVectorTrack(frame, object.rotationTrack));
    for (int32_t i = 0; i < 9; ++i) node.rotation[i] = rotation.m[i];
    node.valid = 1;
}

// The frame of the view being drawn, for transforms asked for from outside the object pass
// (camera, light and flare parents).
float nodeFrame = 0.0f;

} // namespace

void SetNodeFrame(float frame) { nodeFrame = frame; }

const NodeTransform* NodeTransformOfObject(SceneObject* object)
{
    if (!object) return nullptr;
    if (engine.nodes && object->number >= 0 && object->number < engine.nodeCount) {
        NodeTransform& node = engine.nodes[object->number];
        if (!node.valid) EvaluateNode(*object, nodeFrame, node);
        return &node;
    }
    EvaluateNode(*object, nodeFrame, uncachedNode);
    return &uncachedNode;
}

void ApplyParentChain(SceneObject* ancestor, Vec3* point, Vec3* directions, int32_t count)
{
    const Scene* scene = engine.scene;
    const int32_t limit = scene ? scene->objectCount : 0;
    for (int32_t steps = 0; ancestor && steps < limit; ancestor = ancestor->parentNumber, ++steps) {
        const NodeTransform* node = NodeTransformOfObject(ancestor);
        const float* m = node->rotation;
        auto rotate = [m](Vec3 v) {
            return Vec3{m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                        m[6] * v.x + m[7] * v.y + m[8] * v.z};
        };
        if (point) *point = rotate(*point) + node->position;
        for (int32_t i = 0; i < count; ++i) directions[i] = rotate(directions[i]);
    }
}
