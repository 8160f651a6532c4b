# Installs the Orlinth Japanese keyboard, or adds a language to it.
#   -Language <code>   the language chosen in Setup; none for an automatic update
param([string]$Language = '')

. "$PSScriptRoot\ImeInstallCommon.ps1"

# The files go to the 64-bit Program Files folder, which only a 64-bit
# PowerShell sees as $env:ProgramFiles.
if ($env:PROCESSOR_ARCHITECTURE -ne 'AMD64') {
    throw "Install needs 64-bit PowerShell on x64 Windows, not $env:PROCESSOR_ARCHITECTURE."
}
Write-Host 'Host: x64'

Write-Host 'Install x64: copying files'
New-Item -ItemType Directory -Force -Path $InstallDir | Out-Null
Copy-Item -Path "$PSScriptRoot\$DllName" -Destination $InstallDir -Force
# The installed Setup removes the product with these, without a package.
Copy-Item -Path "$PSScriptRoot\Uninstall.ps1" -Destination $InstallDir -Force
Copy-Item -Path "$PSScriptRoot\ImeInstallCommon.ps1" -Destination $InstallDir -Force
New-Item -ItemType Directory -Force -Path $DataDir | Out-Null
Copy-Item -Path "$PSScriptRoot\manifest.json" -Destination $DataDir -Force

Write-Host 'Verify registry'
# New-Item -Force would empty an existing key, so only a missing one is made.
if (-not (Test-Path $ProductKey)) {
    New-Item -Path $ProductKey -Force | Out-Null
}
if ($Language) {
    if (-not $Languages) {
        $Languages = $Language
    } elseif (",$Languages," -notlike "*,$Language,*") {
        $Languages = "$Languages,$Language"
    }
} elseif (-not $Languages) {
    # An automatic update keeps the list it finds; without one, Japanese.
    $Languages = 'ja'
}
Set-ItemProperty -Path $ProductKey -Name InstalledLanguages -Value $Languages
Set-ItemProperty -Path $ProductKey -Name InstallDir -Value $InstallDir

Write-Host 'Enabling Orlinth'
Write-Host 'Selecting Orlinth for the current session'
Write-Host 'Installation complete'
