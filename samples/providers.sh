# The providers' sub-directories, in installation order, read from the
# program's own provider table (install/providers.cpp), so that a provider added
# there gets its Setup.exe stand-in and its logs shown without more edits.
# Sourced, not run.
provider_dirs() {
  local table dirs
  table="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/install/providers.cpp"
  dirs=$(sed -n '/Provider kProviders\[.*\] = {/,/^};/s/^ *{u"\([^"]*\)", u"-.*/\1/p' "$table")
  [[ -n $dirs ]] || { echo "no provider rows found in $table" >&2; return 1; }
  echo "$dirs"
}
