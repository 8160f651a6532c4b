# Detection script for a device-management tool: writes one line and ends 0
# when the Japanese keyboard of Orlinth is installed at the deployed version
# or later, and writes nothing and ends 1 otherwise. Set $DeployedVersion to
# the package version of the pinned installer you deploy.
#
# It reads what Setup reads, in the 64-bit view even from 32-bit PowerShell:
# the Japanese keyboard is there when "InstalledLanguages" lists ja, or when
# the value is missing and the product's DLL is installed; the version is the
# uninstall entry's DisplayVersion, which Setup writes only after a
# successful install or update.
$DeployedVersion = '2.4.0'

# Setup's ordering: numbers separated by dots compare as numbers; from the
# first place either text has no digit, the rest compares as text.
function Compare-SetupVersion([string]$a, [string]$b) {
    $i = 0; $j = 0
    while ($i -lt $a.Length -or $j -lt $b.Length) {
        $left = [regex]::Match($a.Substring($i), '^\d*').Value
        $right = [regex]::Match($b.Substring($j), '^\d*').Value
        $leftDone = $i -ge $a.Length; $rightDone = $j -ge $b.Length
        if (($left -eq '' -and -not $leftDone) -or ($right -eq '' -and -not $rightDone)) {
            return [Math]::Sign([string]::CompareOrdinal($a.Substring($i), $b.Substring($j)))
        }
        $x = if ($leftDone) { [bigint]0 } else { [bigint]::Parse($left) }
        $y = if ($rightDone) { [bigint]0 } else { [bigint]::Parse($right) }
        if ($x -ne $y) { return $(if ($x -lt $y) { -1 } else { 1 }) }
        $i += $left.Length; $j += $right.Length
        if ($i -lt $a.Length -and $a[$i] -eq '.') { $i++ }
        if ($j -lt $b.Length -and $b[$j] -eq '.') { $j++ }
    }
    return 0
}

$machine = [Microsoft.Win32.RegistryKey]::OpenBaseKey('LocalMachine', [Microsoft.Win32.RegistryView]::Registry64)
$product = $machine.OpenSubKey('SOFTWARE\Orlinth-Japanese')
$entry = $machine.OpenSubKey('SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orlinth-Japanese')
$programFiles = if ($env:ProgramW6432) { $env:ProgramW6432 } else { $env:ProgramFiles }
$dll = Join-Path $programFiles 'Orlinth-Japanese\Orlinth-Japanese.dll'

$languages = if ($product) { $product.GetValue('InstalledLanguages', $null) } else { $null }
$japanese = if ($null -ne $languages) {
    @("$languages" -split ',' | ForEach-Object { $_.Trim() }) -contains 'ja'
} else {
    Test-Path -LiteralPath $dll -PathType Leaf
}
$version = if ($entry) { "$($entry.GetValue('DisplayVersion', ''))" } else { '' }

if ($japanese -and $version -ne '' -and (Compare-SetupVersion $version $DeployedVersion) -ge 0) {
    Write-Output "Orlinth Japanese $version"
    exit 0
}
exit 1
