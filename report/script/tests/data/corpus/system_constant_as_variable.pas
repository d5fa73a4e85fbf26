procedure P;
var clRed: Integer;
begin
end;
