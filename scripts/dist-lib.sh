# Sourced by the distribution scripts: texts as the Windows programs and users expect them.

# Copies a UTF-8 text with LF line ends as GBK with CR LF, optionally replacing @VERSION@.
# Usage: velmora_gbk_text SOURCE DEST [VERSION]
velmora_gbk_text() {
  local version=${3:-}
  sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1" | iconv -f UTF-8 -t GBK >"$2"
}
