#include "meshes/glbfile.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include <tiny_gltf.h>
#include <QtEndian>

#include "base/errors.h"

namespace {

// glTF's numbers for the kinds of views, components and accessors.
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;

int AddView(tinygltf::Model& model, std::size_t offset, std::size_t length, int target,
            int stride) {
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = offset;
  view.byteLength = length;
  view.byteStride = stride;
  view.target = target;
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size() - 1);
}

int AddAccessor(tinygltf::Model& model, int view, int component, int type, std::size_t count,
                bool normalized) {
  tinygltf::Accessor accessor;
  accessor.bufferView = view;
  accessor.componentType = component;
  accessor.type = type;
  accessor.count = count;
  accessor.normalized = normalized;
  model.accessors.push_back(accessor);
  return static_cast<int>(model.accessors.size() - 1);
}

template <typename T>
unsigned char* Put(unsigned char* out, const T* values, std::size_t count) {
  std::memcpy(out, values, count * sizeof(T));
  return out + count * sizeof(T);
}

// The model of the whole file; its buffer holds the binary chunk.
tinygltf::Model ModelOf(const TriangleMesh& mesh) {
  static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "glTF's buffers are little-endian as memory");
  tinygltf::Model model;
  model.asset.version = "2.0";
  model.asset.generator = "Cubiscope";
  tinygltf::Scene scene;
  model.scenes.push_back(scene);
  model.defaultScene = 0;
  const std::size_t vertices = mesh.VertexCount();
  const std::size_t triangles = mesh.TriangleCount();
  const bool colours = mesh.HasColours();
  const std::vector<float> normals = VertexNormals(mesh);

  tinygltf::Buffer buffer;
  buffer.data.resize(GlbBinaryBytes(vertices, triangles, colours));
  unsigned char* out = buffer.data.data();
  out = Put(out, mesh.positions.data(), 3 * vertices);
  out = Put(out, normals.data(), 3 * vertices);
  const std::size_t colourOffset = out - buffer.data.data();
  if (colours) {
    for (std::size_t v = 0; v < vertices; ++v, out += 4) {
      out[0] = mesh.colours[3 * v];
      out[1] = mesh.colours[3 * v + 1];
      out[2] = mesh.colours[3 * v + 2];
      out[3] = 255;
    }
  }
  const std::size_t indexOffset = out - buffer.data.data();
  out = Put(out, mesh.triangles.data(), 3 * triangles);
  assert(out == buffer.data.data() + buffer.data.size() && "GLB buffer laid out wrongly");
  model.buffers.push_back(std::move(buffer));

  tinygltf::Primitive primitive;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  const int position =
      AddAccessor(model, AddView(model, 0, 12 * vertices, kArrayBuffer, 0),
                  TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertices, false);
  // glTF requires the bounds of the places.
  std::vector<double> low(3, std::numeric_limits<double>::infinity());
  std::vector<double> high(3, -std::numeric_limits<double>::infinity());
  for (std::size_t v = 0; v < vertices; ++v) {
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], double(mesh.positions[3 * v + k]));
      high[k] = std::max(high[k], double(mesh.positions[3 * v + k]));
    }
  }
  model.accessors[position].minValues = low;
  model.accessors[position].maxValues = high;
  primitive.attributes["POSITION"] = position;
  primitive.attributes["NORMAL"] =
      AddAccessor(model, AddView(model, 12 * vertices, 12 * vertices, kArrayBuffer, 0),
                  TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertices, false);
  if (colours) {
    // Three bytes a colour, four apart: glTF aligns each vertex's value.
    primitive.attributes["COLOR_0"] =
        AddAccessor(model, AddView(model, colourOffset, 4 * vertices, kArrayBuffer, 4),
                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC3, vertices, true);
  }
  primitive.indices =
      AddAccessor(model, AddView(model, indexOffset, 12 * triangles, kElementArrayBuffer, 0),
                  TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, 3 * triangles, false);
  tinygltf::Mesh gltfMesh;
  gltfMesh.primitives.push_back(primitive);
  model.meshes.push_back(gltfMesh);
  tinygltf::Node node;
  node.mesh = 0;
  // The mesh's z is up; glTF's y is: a quarter turn about x, (x, y, z) to
  // (x, z, -y), keeps the vertices as they are and their winding.
  node.rotation = {-std::sqrt(0.5), 0.0, 0.0, std::sqrt(0.5)};
  model.nodes.push_back(node);
  model.scenes[0].nodes.push_back(0);
  return model;
}

}  // namespace

std::vector<float> VertexNormals(const TriangleMesh& mesh) {
  const std::size_t vertices = mesh.VertexCount();
  std::vector<double> sum(3 * vertices, 0.0);
  const float* p = mesh.positions.data();
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t) {
    const std::uint32_t* corner = &mesh.triangles[3 * t];
    const float* a = p + 3 * std::size_t(corner[0]);
    const float* b = p + 3 * std::size_t(corner[1]);
    const float* c = p + 3 * std::size_t(corner[2]);
    const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    // The cross product's length is twice the area: summed unnormalised, it
    // weights each triangle by its area.
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                         u[0] * v[1] - u[1] * v[0]};
    for (int k = 0; k < 3; ++k) {
      for (int j = 0; j < 3; ++j) {
        sum[3 * std::size_t(corner[k]) + j] += n[j];
      }
    }
  }
  std::vector<float> normals(3 * vertices);
  for (std::size_t v = 0; v < vertices; ++v) {
    const double* s = &sum[3 * v];
    const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    float* out = &normals[3 * v];
    if (length > 0 && std::isfinite(length)) {
      for (int k = 0; k < 3; ++k) {
        out[k] = float(s[k] / length);
      }
    } else {
      out[0] = 0;
      out[1] = 0;
      out[2] = 1;
    }
  }
  return normals;
}

bool WriteGlb(const TriangleMesh& mesh, PendingFile& sink) {
  assert(mesh.TriangleCount() > 0 && "WriteGlb given no triangles: glTF has no empty accessor");
  assert(GlbBinaryBytes(mesh.VertexCount(), mesh.TriangleCount(), mesh.HasColours()) <=
             kGlbMostBinaryBytes &&
         "WriteGlb given a mesh beyond the format's length");
  std::ostringstream bytes;
  {
    // The model's buffer is a copy of the mesh; it goes before the file is
    // written out of the stream.
    const tinygltf::Model model = ModelOf(mesh);
    tinygltf::TinyGLTF gltf;
    if (!gltf.WriteGltfSceneToStream(&model, bytes, false, true) || !bytes) {
      throw cError(std::string("The glTF library could not write the mesh"));
    }
  }
  const std::string_view view = bytes.view();
  constexpr std::size_t kPiece = std::size_t(1) << 20;
  for (std::size_t at = 0; at < view.size(); at += kPiece) {
    if (!sink.Write(view.data() + at, std::min(kPiece, view.size() - at))) {
      return false;
    }
  }
  return true;
}
