// The catalogue reader on any text, directives included, and the classifier against the
// catalogue's own answer: the first part of the input is the catalogue, the rest an entry.

#include "FBLogClassifier.h"
#include "uFBLogDescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view catalogueText = input.substr(0, split);
    const std::string_view entry = split == std::string_view::npos ? input : input.substr(split + 1);
    const TFBLogDescriptor catalogue = TFBLogDescriptor::FromText(catalogueText, "fuzz.descr");

    // The kind is the row FindDescription answers from.
    const FBLogKind kind = KindOfText(catalogue, entry);
    const TFBLogDescription* row = RowOfKind(catalogue, kind);
    const std::string description = catalogue.FindDescription(entry, false);
    if ((row == nullptr) != (catalogue.FindRowIndex(entry) < 0 || static_cast<std::size_t>(catalogue.FindRowIndex(entry)) + 1 >= kMaxKinds))
        std::abort();
    if (row != nullptr && row->Description() != description)
        std::abort();
    for (const TFBLogDescription& each : catalogue.Descriptions())
        (void)each.Title();
    return 0;
}
