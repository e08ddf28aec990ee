#include "meshes/threemffile.h"

#include <cassert>
#include <exception>
#include <memory>
#include <vector>

#include <Model/COM/NMR_DLLInterfaces.h>

#include "base/errors.h"

namespace {

// Every object lib3mf hands out is counted and must be released.
struct Release {
  void operator()(NMR::PLib3MFBase* handle) const { NMR::lib3mf_release(handle); }
};
using Handle = std::unique_ptr<NMR::PLib3MFBase, Release>;

// What the callbacks share with the writer: they run inside lib3mf, so an
// exception must not leave them; it is kept and thrown once lib3mf returns.
struct Output {
  PendingFile& sink;
  std::exception_ptr failure;
  bool stopped = false;

  bool Going() const { return !failure && !stopped; }
};

// lib3mf 1.8 cannot take a failed write: its ZIP writer finishes its entry
// in a destructor, writes again there, and a second failure ends the
// program. So the stream never fails; once the file has failed or been
// stopped, the bytes go nowhere, and the progress callback ends the
// writing at its next call.
std::uint32_t WriteBytes(BYTE* data, std::uint32_t size, void* user) {
  Output& output = *static_cast<Output*>(user);
  if (output.Going()) {
    try {
      output.stopped = !output.sink.Write(data, size);
    } catch (...) {
      output.failure = std::current_exception();
    }
  }
  return 0;
}

std::uint32_t SeekTo(std::uint64_t position, void* user) {
  Output& output = *static_cast<Output*>(user);
  if (output.Going()) {
    try {
      output.sink.Seek(position);
    } catch (...) {
      output.failure = std::current_exception();
    }
  }
  return 0;
}

bool Progress(int percent, NMR::ProgressIdentifier, void* user) {
  Output& output = *static_cast<Output*>(user);
  // -1 asks only whether to go on.
  if (percent >= 0 && output.Going()) {
    output.stopped = !output.sink.Report(percent / 100.0);
  }
  return output.Going();
}

// Throws lib3mf's own words for the failure of a call on handle.
void Check(LIB3MFRESULT result, NMR::PLib3MFBase* handle, const char* what) {
  if (result == LIB3MF_OK) {
    return;
  }
  DWORD code = 0;
  LPCSTR message = nullptr;
  QString text = QStringLiteral("lib3mf could not %1").arg(QString::fromUtf8(what));
  if (handle && NMR::lib3mf_getlasterror(handle, &code, &message) == LIB3MF_OK && message) {
    text += QStringLiteral(": %1").arg(QString::fromUtf8(message));
  }
  throw cError(text);
}

Handle Take(NMR::PLib3MFBase* handle) {
  return Handle(handle);
}

}  // namespace

bool WriteThreeMf(const TriangleMesh& mesh, PendingFile& sink) {
  assert(mesh.VertexCount() <= kThreeMfMostCount && mesh.TriangleCount() <= kThreeMfMostCount &&
         "WriteThreeMf given a mesh beyond lib3mf's count");
  NMR::PLib3MFBase* made = nullptr;
  Check(NMR::lib3mf_createmodel(&made), nullptr, "start a model");
  const Handle model = Take(made);
  if (mesh.millimetres) {
    Check(NMR::lib3mf_model_setunit(model.get(), NMR::MODELUNIT_MILLIMETER), model.get(),
          "set the unit");
  }
  made = nullptr;
  Check(NMR::lib3mf_model_addmeshobject(model.get(), &made), model.get(), "add the mesh");
  const Handle object = Take(made);
  // The vertex and triangle records are packed arrays of three floats and
  // three 32-bit indices, the layout of the mesh's own arrays: lib3mf copies
  // from them as they are, only reading.
  static_assert(sizeof(NMR::MODELMESHVERTEX) == 3 * sizeof(float) &&
                sizeof(NMR::MODELMESHTRIANGLE) == 3 * sizeof(std::uint32_t));
  auto* vertices =
      reinterpret_cast<NMR::MODELMESHVERTEX*>(const_cast<float*>(mesh.positions.data()));
  auto* triangles =
      reinterpret_cast<NMR::MODELMESHTRIANGLE*>(const_cast<std::uint32_t*>(mesh.triangles.data()));
  Check(NMR::lib3mf_meshobject_setgeometry(object.get(), vertices,
                                           static_cast<DWORD>(mesh.VertexCount()), triangles,
                                           static_cast<DWORD>(mesh.TriangleCount())),
        object.get(), "take the mesh");
  if (mesh.HasColours() && mesh.TriangleCount() > 0) {
    made = nullptr;
    Check(NMR::lib3mf_meshobject_createpropertyhandler(object.get(), &made), object.get(),
          "colour the mesh");
    const Handle properties = Take(made);
    // 3MF colours triangles, not vertices: each corner gets its vertex's
    // colour, and readers blend across the triangle.
    std::vector<NMR::MODELMESH_TRIANGLECOLOR_SRGB> colours(mesh.TriangleCount());
    for (std::size_t t = 0; t < colours.size(); ++t) {
      for (int k = 0; k < 3; ++k) {
        const std::uint8_t* rgb = &mesh.colours[3 * std::size_t(mesh.triangles[3 * t + k])];
        colours[t].m_Colors[k] = {rgb[0], rgb[1], rgb[2], 255};
      }
    }
    Check(NMR::lib3mf_propertyhandler_setgradientcolorarray(properties.get(), colours.data()),
          properties.get(), "colour the mesh");
    // lib3mf refuses coloured triangles without a colour for the object
    // as a whole; every triangle has its own, so which one matters little.
    made = nullptr;
    Check(NMR::lib3mf_object_createdefaultpropertyhandler(object.get(), &made), object.get(),
          "colour the mesh");
    const Handle fallback = Take(made);
    Check(NMR::lib3mf_defaultpropertyhandler_setcolorrgb(fallback.get(), mesh.colours[0],
                                                         mesh.colours[1], mesh.colours[2]),
          fallback.get(), "colour the mesh");
  }
  made = nullptr;
  Check(NMR::lib3mf_model_addbuilditem(model.get(), object.get(), nullptr, &made), model.get(),
        "place the mesh");
  const Handle item = Take(made);

  made = nullptr;
  Check(NMR::lib3mf_model_querywriter(model.get(), "3mf", &made), model.get(), "start writing");
  const Handle writer = Take(made);
  Output output{sink, nullptr, false};
  Check(NMR::lib3mf_writer_setprogresscallback(writer.get(), Progress, &output), writer.get(),
        "follow the writing");
  const LIB3MFRESULT result =
      NMR::lib3mf_writer_writetocallback(writer.get(), reinterpret_cast<void*>(&WriteBytes),
                                         reinterpret_cast<void*>(&SeekTo), &output);
  if (output.failure) {
    std::rethrow_exception(output.failure);
  }
  if (output.stopped) {
    return false;
  }
  Check(result, writer.get(), "write the file");
  return true;
}
