// The media type and storage location editors, made known to the pick
// protocol and the menu (reference::createEditor) when this library is linked.
#include "storage/MediaTypeForm.h"
#include "storage/StorageLocationForm.h"

namespace {

template <class Form>
std::unique_ptr<kv::reference::TReferenceEditor> make(kv::data::TProgramDataForm& dm, QWidget* parent)
{
    return std::make_unique<Form>(dm, parent);
}

}  // namespace

extern int kv_storage_ui_editors;
int kv_storage_ui_editors = [] {
    using kv::reference::EditorKind;
    kv::reference::registerEditor(EditorKind::MediaType, make<kv::storage::TMediaTypeForm>);
    kv::reference::registerEditor(EditorKind::StorageLocation, make<kv::storage::TStorageLocationForm>);
    return 1;
}();
