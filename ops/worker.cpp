#include "ops/worker.h"

#include <memory>

#include "base/path_helpers.h"
#include "base/work_report.h"
#include "ops/script_runner.h"
#include "package/package_resolution.h"
#include "package/package_validation.h"
#include "package/script_policy.h"

namespace {

constexpr wchar_t kSeparatorLine[] = L"----------------------------------------";
constexpr wchar_t kNoPackage[] = L"패키지를 준비하지 못했습니다.";

void Announce(OperationKind kind, bool update) {
  if (kind == kOperationUninstall) {
    ReportStep(L"삭제 준비 중...");
    ReportStatus(L"삭제 준비 중...");
  } else if (update) {
    ReportStep(L"업데이트 준비 중...");
    ReportStatus(L"서버에서 업데이트 파일을 받는 중...");
  } else {
    ReportStep(L"설치 준비 중...");
    ReportStatus(L"서버에서 설치 파일을 받는 중...");
  }
}

// An uninstall run by the installed copy (no package beside it) takes the
// scripts the product was installed with.
std::wstring StagedUninstallFolder(OperationKind kind) {
  if (kind != kOperationUninstall || !ReleaseFolder().empty()) return {};
  const std::wstring staged = StageUninstallScripts();
  if (!staged.empty()) ReportLogLine(L"설치 폴더의 삭제 스크립트 사용: " + staged);
  return staged;
}

void ReportPlan(OperationKind kind, bool update, const std::wstring& folder, const std::wstring& scriptName,
                const std::wstring& scriptArguments) {
  if (kind == kOperationUninstall) {
    ReportStatus(L"삭제를 진행하고 있습니다. 잠시만 기다려 주세요.");
  } else if (update) {
    ReportStatus(L"업데이트를 진행하고 있습니다. 잠시만 기다려 주세요.");
  } else {
    ReportStatus(L"설치를 진행하고 있습니다. 잠시만 기다려 주세요.");
  }
  ReportLogLine(L"패키지: " + folder);
  ReportLogLine(L"스크립트: " + scriptName + scriptArguments);
  ReportLogLine(kSeparatorLine);
}

OperationResult RunOperation(const WorkerRequest& request) {
  const bool update = request.update;
  Announce(request.kind, update);

  ResolvedPackage package;
  package.folder = StagedUninstallFolder(request.kind);
  if (package.folder.empty()) package = ResolvePackage({request.carriedFirst, request.refuseOlder});

  const std::wstring scriptName = request.kind == kOperationUninstall ? L"Uninstall.ps1" : L"Install.ps1";
  if (package.folder.empty() && package.failure == PackageFailure::Cancelled) {
    return {request.kind, -2, package.message, true, L"", PackageFailure::Cancelled};
  }
  std::wstring refusal;
  if (package.folder.empty() || !ValidatePackageFolder(package.folder, scriptName, &refusal)) {
    const std::wstring& message = !package.message.empty() ? package.message : refusal;
    OperationResult none{request.kind, -2, message.empty() ? kNoPackage : message};
    none.failure = package.failure == PackageFailure::None ? PackageFailure::Other : package.failure;
    return none;
  }
  // A machine that runs only signed scripts would refuse these without a word.
  if (!ScriptPolicyAllows(package.folder, &refusal)) {
    ReportLogLine(refusal);
    return {request.kind, -2, refusal, false, L"", PackageFailure::RefusedByPolicy};
  }
  ReportPlan(request.kind, update, package.folder, scriptName, request.scriptArguments);
  const int result = RunScript(package.folder, JoinPath(package.folder, scriptName), request.scriptArguments);
  if (request.kind == kOperationInstall && result == 0 && !StageUninstallScriptsFrom(package.folder)) {
    ReportLogLine(L"삭제 스크립트를 보관하지 못했습니다: 삭제할 때 설치 폴더의 스크립트를 씁니다.");
  }
  return {request.kind, result, L"", false, package.version};
}

}  // namespace

DWORD WINAPI WorkerMain(LPVOID parameter) {
  std::unique_ptr<WorkerRequest> request(static_cast<WorkerRequest*>(parameter));
  // The completion is posted on every path, so the window never stays busy.
  OperationResult result{request->kind, -2, L""};
  try {
    result = RunOperation(*request);
  } catch (...) {
    result = {request->kind, -2, kNoPackage};
  }
  try {
    if (request->deliver != nullptr) request->deliver(result);
  } catch (...) {
    // Out of memory for the message: nothing more can be done from here.
  }
  return 0;
}
