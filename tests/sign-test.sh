#!/bin/sh
# Signs a copy of setup.exe with scripts/sign-setup.sh and a self-signed code-signing
# certificate made here; failures must leave it as it was. The signed copy stays in
# WORK_DIR for the install on Wine that follows.
# Usage: sign-test.sh SOURCE_DIR SETUP.EXE WORK_DIR OBJDUMP
set -eu
src=$1 built=$2 work=$3 objdump=$4
sign="$src/scripts/sign-setup.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" && cp "$built" setup.exe
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Orvanex test" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature 2>/dev/null
PFX_PASSWORD=test-secret openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout env:PFX_PASSWORD

# A wrong password: a non-zero status, one line saying so without the password, setup.exe untouched.
! out=$(PFX_PASSWORD=bad-secret sh "$sign" setup.exe signer.pfx 2>&1) && [ "$(echo "$out" | wc -l)" -eq 1 ] &&
    echo "$out" | grep -q password && ! echo "$out" | grep -q secret && cmp setup.exe "$built" ||
    { echo "FAIL: wrong password: $out"; exit 1; }

PFX_PASSWORD=test-secret sh "$sign" setup.exe signer.pfx
osslsigncode verify -CAfile cert.pem -in setup.exe >verify.txt && grep -q "Message digest algorithm *: SHA256" verify.txt &&
    grep -q "Text description: Nimbet 2 Alpha Setup" verify.txt || { cat verify.txt; exit 1; }
sh "$src/tests/check-pe.sh" "$objdump" setup.exe "$src/tests/imports-allowlist.txt"
