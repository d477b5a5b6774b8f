# A small script.
package require Tk
proc greet {name} {
    set count 10
    puts "Hello $name [string length $name]"
    return [expr {$count + 1}]
}
button .b -text "Go" -command {greet world}
pack .b
