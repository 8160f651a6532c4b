# Shared by Install.ps1 and Uninstall.ps1 (dot-sourced): where the product
# lives and which languages are installed now.

$ProductName = 'Orlinth-Japanese'
$DllName = "$ProductName.dll"
$InstallDir = "$env:ProgramFiles\$ProductName"
$DataDir = "$env:ProgramData\$ProductName"
$ProductKey = "HKLM:\SOFTWARE\$ProductName"

# Comma-separated language codes; $null when the product key or value is missing.
$Languages = (Get-ItemProperty -Path $ProductKey -Name InstalledLanguages -ErrorAction SilentlyContinue).InstalledLanguages
