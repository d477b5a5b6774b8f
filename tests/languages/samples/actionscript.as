package demo {
    import flash.display.Sprite;
    /** A counter that traces its value. @param start the first value */
    public class Counter extends Sprite {
        private var count:int = 0; // TODO: persist
        public function add(step:int, label:String):void {
            count += step * 2;
            trace("count: " + count + ' ' + label);
        }
    }
}
