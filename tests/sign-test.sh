#!/bin/sh
# Signs a copy of the built setup.exe as a maker would (scripts/sign-setup.sh),
# with a self-signed code-signing certificate made here, then checks the signature
# against that certificate and the signed file's PE header. Failures must leave
# setup.exe byte for byte as it was. The signed copy stays in WORK_DIR for the
# install on Wine that follows this test.
# Usage: sign-test.sh SOURCE_DIR SETUP.EXE WORK_DIR OBJDUMP
set -eu
src=$1 built=$2 work=$3 objdump=$4
sign="$src/scripts/sign-setup.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Orvanex test" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature 2>/dev/null
PFX_PASSWORD=test-secret openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout env:PFX_PASSWORD
cp "$built" setup.exe

# Each failure: a non-zero status, one line naming the cause and no password, setup.exe untouched.
refused() {
    cause=$1 && shift
    ! out=$("$@" 2>&1) && [ "$(echo "$out" | wc -l)" -eq 1 ] && echo "$out" | grep -q "$cause" &&
        ! echo "$out" | grep -q secret && cmp setup.exe "$built" || { echo "FAIL: $*: $out"; exit 1; }
}
refused password env PFX_PASSWORD=bad-secret sh "$sign" setup.exe signer.pfx
refused "not found" env PFX_PASSWORD=test-secret sh "$sign" setup.exe missing.pfx
refused "osslsigncode is missing" env PATH=/nonexistent /bin/sh "$sign" setup.exe signer.pfx

PFX_PASSWORD=test-secret sh "$sign" setup.exe signer.pfx
osslsigncode verify -CAfile cert.pem -in setup.exe >verify.txt
grep -q "Message digest algorithm *: SHA256" verify.txt && grep -q "Text description: Nimbet 2 Alpha Setup" verify.txt ||
    { cat verify.txt; exit 1; }
sh "$src/tests/check-pe.sh" "$objdump" setup.exe "$src/tests/imports-allowlist.txt"
