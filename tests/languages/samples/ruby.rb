# A small class.
require 'json'

module Demo
  class Counter
    attr_reader :count

    def initialize
      @count = 0
      @@instances = 1
      $global = "x"
    end

    def add(step)
      @count += step if step =~ /\d+/
      puts "count: #{@count}"
    end
  end
end
