// The product's fixed names and folders. Every name that carries the product
// folder name is built from the one literal below.
#pragma once

#include <string>

// Adjacent literals join at compile time, so the constants below stay
// constant arrays that tests and registry calls can use as they are.
#define ORLINTH_PRODUCT_FOLDER_NAME L"Orlinth-Japanese"

// Where the product keeps its files and registration.
inline constexpr wchar_t kProductFolderName[] = ORLINTH_PRODUCT_FOLDER_NAME;
inline constexpr wchar_t kProductDllName[] = ORLINTH_PRODUCT_FOLDER_NAME L".dll";
inline constexpr wchar_t kTextServiceServerKey[] = L"CLSID\\{7c1e9b52-4d3a-4f0e-9a61-2b8d5f3c0e47}\\InprocServer32";
inline constexpr wchar_t kProductRegistryKey[] = L"SOFTWARE\\" ORLINTH_PRODUCT_FOLDER_NAME;
inline constexpr wchar_t kInstalledLanguagesValue[] = L"InstalledLanguages";
inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" ORLINTH_PRODUCT_FOLDER_NAME;

// Setup's own names: its working root under ProgramData, the staged uninstall
// scripts and the default run log all start with this.
inline constexpr wchar_t kSetupFolderName[] = ORLINTH_PRODUCT_FOLDER_NAME L"-Setup";
inline constexpr wchar_t kStagedUninstallFolderName[] = ORLINTH_PRODUCT_FOLDER_NAME L"-uninstall";

// The caption of every message box and question.
inline constexpr wchar_t kSetupCaption[] = L"Orlinth Setup";

// ...\Program Files\Orlinth-Japanese, or empty when the folder is unknown.
std::wstring InstallFolder();
// The install folder joined with "Setup.exe" (just "Setup.exe" without one).
std::wstring InstalledSetupPath();
// ...\ProgramData\Orlinth-Japanese, or empty.
std::wstring ProductDataFolder();
