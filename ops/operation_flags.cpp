#include "ops/operation_flags.h"

namespace {

OperationFlags g_flags;

}  // namespace

OperationFlags& CurrentOperationFlags() { return g_flags; }
