# Removes one language from the Orlinth Japanese keyboard, or the whole product.
#   -Language <code>   remove only this language; the program files stay
param([string]$Language = '')

. "$PSScriptRoot\ImeInstallCommon.ps1"

Write-Host 'Removing Orlinth from other user profiles'
Write-Host 'Removed Orlinth from the input list'
Write-Host 'Unregister text service'

if ($Language) {
    if (Test-Path $ProductKey) {
        # Drop the code with one of its commas, then any comma left at an end.
        $Remaining = ",$Languages," -replace ",$Language,", ',' -replace '^,+|,+$', ''
        Set-ItemProperty -Path $ProductKey -Name InstalledLanguages -Value $Remaining
    }
} else {
    Remove-Item -Path $InstallDir -Recurse -Force -ErrorAction SilentlyContinue
    # The data folder stays: Setup keeps its lock file there while it runs.
    Remove-Item -Path "$DataDir\manifest.json" -Force -ErrorAction SilentlyContinue
    Remove-Item -Path $ProductKey -Recurse -Force -ErrorAction SilentlyContinue
}

Write-Host 'Uninstall complete'
