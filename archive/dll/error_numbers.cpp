#include "archive/dll/error_numbers.h"

#include "archive/dll/qel_lib_api.h"
#include "archive/sevenzip/errors.h"

namespace qel::archive {

uint32_t error_number_for_current_exception(Stage stage) {
  try {
    throw;
  } catch (const ArchiveNotFoundError&) {
    return kQelErrorArchiveNotFound;
  } catch (const UnsafePathError&) {
    return kQelErrorIllegalPath;
  } catch (const WrongPasswordError&) {
    return kQelErrorCannotOpen;
  } catch (const UnsupportedMethodError&) {
    return kQelErrorCannotOpen;
  } catch (const WriteError&) {
    return kQelErrorWriteFailed;
  } catch (const StoppedError&) {
    return kQelErrorStopped;
  } catch (const EntryNotFoundError&) {
    return kQelErrorEntryNotFound;
  } catch (const ArchiveError&) {
    return stage == Stage::Opening ? kQelErrorCannotOpen : kQelErrorDataError;
  } catch (...) {
    return kQelErrorGeneral;
  }
}

}  // namespace qel::archive
