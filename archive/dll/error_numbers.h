// Which error number of the DLL interface an exception of the reader stands for.
#pragma once

#include <cstdint>
#include <exception>

namespace qel::archive {

enum class Stage { Opening, Extracting };

// Call inside a catch block (rethrows the current exception to inspect it).
uint32_t error_number_for_current_exception(Stage stage);

}  // namespace qel::archive
