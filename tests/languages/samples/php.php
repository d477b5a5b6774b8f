<html>
<body>
<?php
// A small page.
/* block comment */
function greet($name) {
    $count = 10;
    echo "Hello $name", 'x';
    return $count + 1;
}
?>
<p class="x">Text</p>
</body>
</html>
