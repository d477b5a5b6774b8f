# A small script.
<#
.SYNOPSIS
Greets.
#>
function Get-Greeting {
    param([string]$Name = 'world')
    $count = 10
    Write-Host "Hello $Name" -ForegroundColor Green
    Get-ChildItem | Where-Object { $_.Length -gt 0 } | ls
    return $count
}
