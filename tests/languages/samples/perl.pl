#!/usr/bin/perl
# A small script.
use strict;
my @items = (1, 2, 3);
my %seen = ();
my $name = "world";

sub greet {
    my ($who) = @_;
    print "Hello $who\n";
    return $who =~ s/o/0/gr;
}
greet('x') if $name =~ /^w/;

=pod

Documentation.

=cut
