// A small Objective-C class.
#import <Foundation/Foundation.h>

@interface Counter : NSObject
@property (nonatomic) NSInteger count;
- (void)add:(NSInteger)step;
@end

@implementation Counter
- (void)add:(NSInteger)step {
    self.count += step * 2;
    NSLog(@"count: %ld", (long)self.count);
}
@end
