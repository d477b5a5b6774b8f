#!/bin/bash
# A small script.
name="world"
count=10
function greet {
    echo "Hello $name" '!'
    local files=`ls`
    echo "${count}"
}
cleanup () {
    rm -f /tmp/demo.$$
}
if [ -f /etc/passwd ]; then
    greet
fi
cat <<EOT
here document
EOT
