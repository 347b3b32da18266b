#!/usr/bin/env bash
# Builds the sample distribution directory that orvexplugin.exe is run on:
#
#   OUTDIR/x64/orvexcom-x64.msi      plug-in package, 64-bit
#   OUTDIR/win32/orvexcom-win32.msi  plug-in package, 32-bit
#   OUTDIR/csp/Setup.exe             provider setup stand-ins (setup_stub.c),
#   OUTDIR/ucsp/Setup.exe            one for each row of the provider table
#
# Only those sub-directories are replaced; anything else in OUTDIR (the
# bootstrapper under test, say) is left alone, so reruns are safe.
set -euo pipefail

usage() {
    cat <<'EOF'
usage: make-dist.sh OUTDIR [--version V] [--variant normal|reboot|fail] [--payload MB]
  --version V   ProductVersion of both packages (default 2.0.10)
  --variant     normal: installs cleanly
                reboot: asks for a restart (3010 under REBOOT=R)
                fail:   always fails to install (1603), changes nothing
  --payload MB  adds MB MiB of random data (fixed seed, incompressible) in
                36 files to the plug-in feature, for timing a realistic
                installation (scripts/bench.sh); none by default
EOF
}

die() { echo "make-dist.sh: $*" >&2; exit 1; }

# The real names.  wixl cannot store them (see plugin.wxs), so they are put
# into a cp1251 database after it has built the package.
PRODUCT_NAME='Велтон ЭЦП Browser plug-in'
MANUFACTURER='Велтон'
PRODUCT_CODE='{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}'

outdir=""
version="2.0.10"
variant="normal"
payload=0
while (($#)); do
    case "$1" in
        --version) (($# >= 2)) || die "--version needs a value"; version="$2"; shift 2 ;;
        --version=*) version="${1#*=}"; shift ;;
        --variant) (($# >= 2)) || die "--variant needs a value"; variant="$2"; shift 2 ;;
        --variant=*) variant="${1#*=}"; shift ;;
        --payload) (($# >= 2)) || die "--payload needs a value"; payload="$2"; shift 2 ;;
        --payload=*) payload="${1#*=}"; shift ;;
        -h|--help) usage; exit 0 ;;
        -*) usage >&2; die "unknown option $1" ;;
        *) [[ -z "$outdir" ]] || die "more than one OUTDIR given"; outdir="$1"; shift ;;
    esac
done
[[ -n "$outdir" ]] || { usage >&2; exit 1; }

case "$variant" in normal|reboot|fail) ;; *) die "unknown variant '$variant'" ;; esac
[[ "$payload" =~ ^[0-9]+$ ]] && ((10#$payload <= 1024)) || die "--payload takes whole MiB, 0 to 1024, got '$payload'"
payload=$((10#$payload))

# Windows Installer reads ProductVersion as major.minor.build with limits
# 255.255.65535; anything else would build but compare wrongly on update.
[[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || die "version must be MAJOR.MINOR.BUILD, got '$version'"
((10#${BASH_REMATCH[1]} <= 255 && 10#${BASH_REMATCH[2]} <= 255 && 10#${BASH_REMATCH[3]} <= 65535)) \
    || die "version '$version' is out of range (255.255.65535 at most)"

missing=()
command -v wixl >/dev/null || missing+=(wixl)
{ command -v msibuild && command -v msiinfo; } >/dev/null || missing+=(msitools)
command -v i686-w64-mingw32-gcc >/dev/null || missing+=(g++-mingw-w64-i686)
((payload == 0)) || command -v python3 >/dev/null || missing+=(python3)
((${#missing[@]} == 0)) || die "missing Debian packages: ${missing[*]} (apt-get install ${missing[*]})"

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/providers.sh"
mapfile -t providers < <(provider_dirs)
# A table the reader no longer understands must not make a distribution
# without the providers' stand-ins.
((${#providers[@]} > 0)) || die "no provider rows read from install/providers.cpp"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/dist"
mkdir -p "$stage"/{x64,win32}

# Condition rows and the database codepage can only come in as tables.
printf 'Feature_\tLevel\tCondition\ns38\ti2\tS255\nCondition\tFeature_\tLevel\nNPORVEX\t1\tADDNPORVEX\n' \
    > "$work/Condition.idt"
printf '\n\n1251\t_ForceCodepage\n' > "$work/_ForceCodepage.idt"

# The payload: PAYLOAD MiB in 36 files (1 to 4 shares each), random bytes from a
# fixed seed (the same files on every machine, and nothing a cabinet can
# compress), each the key file of its own component, with the same GUIDs
# every time; wixl gets them as a fragment (payload.wxs) beside plugin.wxs.
payload_sources=()
if ((payload > 0)); then
    mkdir -p "$work/payload"
    python3 - "$work" "$payload" <<'PY'
import random, sys, uuid
work, mib = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261207)
shares = [rng.randint(1, 4) for _ in range(36)]
total, left = mib << 20, mib << 20
sizes = []
for i, share in enumerate(shares):
    size = left if i == len(shares) - 1 else total * share // sum(shares)
    sizes.append(size)
    left -= size
rows = []
for i, size in enumerate(sizes, 1):
    name = f"data{i:02}.bin"
    with open(f"{work}/payload/{name}", "wb") as out:
        out.write(rng.randbytes(size))
    guid = str(uuid.uuid5(uuid.NAMESPACE_URL, f"orvex-sample-payload/{name}")).upper()
    rows.append(f'        <Component Id="Payload{i:02}" Guid="{{{guid}}}" Win64="$(var.Win64)">\n'
                f'          <File Id="Payload{i:02}" Name="{name}" Source="payload/{name}" KeyPath="yes"/>\n'
                f'        </Component>')
refs = "\n".join(f'      <ComponentRef Id="Payload{i:02}"/>' for i in range(1, len(sizes) + 1))
with open(f"{work}/payload.wxs", "w") as out:
    out.write('<?xml version="1.0" encoding="utf-8"?>\n'
              '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">\n'
              '  <?if $(var.Arch) = x64?><?define Win64 = "yes"?><?else?><?define Win64 = "no"?><?endif?>\n'
              '  <Fragment>\n    <DirectoryRef Id="INSTALLDIR">\n      <Directory Id="PayloadDir" Name="data">\n'
              + "\n".join(rows) +
              '\n      </Directory>\n    </DirectoryRef>\n'
              '    <ComponentGroup Id="Payload">\n' + refs + '\n    </ComponentGroup>\n  </Fragment>\n</Wix>\n')
PY
    payload_sources=(-D Payload=yes "$work/payload.wxs")
fi

build_msi() {  # ARCH(x64|x86) OUTPUT
    local arch="$1" msi="$2" platform
    [[ "$arch" == x64 ]] && platform=x64 || platform=Intel
    wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D Variant="$variant" \
        -o "$msi" "$here/plugin.wxs" "${payload_sources[@]}"
    # Codepage first: strings added after it are stored as cp1251.
    msibuild "$msi" -i "$work/_ForceCodepage.idt"
    msibuild "$msi" \
        -q "UPDATE Property SET Value = '$PRODUCT_NAME' WHERE Property = 'ProductName'" \
        -q "UPDATE Property SET Value = '$MANUFACTURER' WHERE Property = 'Manufacturer'"
    msibuild "$msi" -i "$work/Condition.idt"
    # wixl writes the template language as 1033 whatever the product's is.
    msibuild "$msi" -s "Velton EDS Browser plug-in $version ($arch, $variant)" "Velton" "$platform;1049"
    if [[ "$variant" == fail ]]; then
        # Type 19 ends the install with 1603.  Before InstallInitialize so
        # nothing is changed: a failed update must leave the old version.
        # Not on removal, so a product installed from another build can
        # still be removed through this package.
        msibuild "$msi" \
            -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('OrvexSampleFail', 19, '', 'Sample package built to fail (make-dist.sh --variant fail).')" \
            -q "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('OrvexSampleFail', 'REMOVE <> \"ALL\"', 1450)"
    fi
    # A failed msibuild step is loud, but a silently dropped string is not.
    local code
    code="$(msiinfo export "$msi" Property | awk -F'\t' '$1 == "ProductCode" { print $2 }' | tr -d '\r')"
    [[ "$code" == "$PRODUCT_CODE" ]] || die "$msi: ProductCode is '$code'"
    msiinfo export "$msi" Property | tr -d '\r' | grep -qxF "ProductName	$PRODUCT_NAME" \
        || die "$msi: ProductName was not stored"
}

build_msi x64 "$stage/x64/orvexcom-x64.msi"
build_msi x86 "$stage/win32/orvexcom-win32.msi"

# 32-bit, so that it runs on either kind of Windows; 64-bit where this
# machine runs no 32-bit Linux program, so no 32-bit Windows one under Wine.
stub_cc=i686-w64-mingw32-gcc
env -u WINELOADERNOEXEC /usr/lib/wine/wine --version >/dev/null 2>&1 || stub_cc=x86_64-w64-mingw32-gcc
"$stub_cc" -municode -mwindows -static -Os -s \
    -o "$work/Setup.exe" "$here/setup_stub.c"
for provider in "${providers[@]}"; do
    mkdir -p "$stage/$provider"
    cp "$work/Setup.exe" "$stage/$provider/Setup.exe"
done

mkdir -p "$outdir"
for sub in x64 win32 "${providers[@]}"; do
    rm -rf "${outdir:?}/$sub"
    mv "$stage/$sub" "$outdir/$sub"
done
echo "make-dist.sh: $variant $version distribution in $outdir$( ((payload == 0)) || echo " (payload $payload MiB)")"
