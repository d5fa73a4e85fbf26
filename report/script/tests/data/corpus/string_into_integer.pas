procedure P;
var i: Integer;
begin
  i := 'five';
end;
