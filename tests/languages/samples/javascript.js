// A small script.
'use strict';
/** Greets. @param {string} name the name */
function greet(name) {
    const pattern = /^[a-z]+$/i;
    let count = 0x1F;
    return "Hello " + name + count; /* done */
}
const handler = function (event) { console.log(event); };
